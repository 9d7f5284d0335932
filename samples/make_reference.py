#!/usr/bin/env python3
"""Writes the bundled Marlix 2.10 sample reference into samples/reference/.

The text below is the source of the sample. Each file is a section title and
a list of topics; each topic is its names, its title line and its body lines.
Every body line starts with its format column: a blank for a plain line, a
tab for an indented line, "^" for a centred heading, "%" for a bold heading.
The files are written as code page 437 bytes with CR LF line ends.

    python3 samples/make_reference.py            write the files
    python3 samples/make_reference.py --check    compare with the files on
                                                 disk and validate, write nothing

Standard library only.
"""

import pathlib
import sys

MAX_LINE = 76  # bytes, without the line end

# The one name that is referenced on purpose although no topic bears it.
UNRESOLVED_ON_PURPOSE = {"GRAPHICS"}

# Bytes above 0x7F that the converter renders as characters.
RENDERED_HIGH = (
    {0x9E, 0xA9}
    | set(range(0xB0, 0xE0))
    | {0xE0, 0xE2, 0xE3, 0xE4, 0xE5, 0xE7, 0xE8, 0xE9, 0xEA, 0xEB, 0xEC,
       0xED, 0xEE, 0xEF, 0xF0, 0xF2, 0xF3, 0xF4, 0xF5, 0xF7, 0xF9, 0xFB,
       0xFC, 0xFE}
)

# Bytes above 0x7F that the converter copies unchanged (its web edition shows
# them as their characters): used on purpose, in one place, and no others.
RAW_HIGH_ON_PURPOSE = {c.encode("cp437")[0] for c in "éüÅöñç°±µ²½"}

SINGLE_BOX = set("│─┌┐└┘├┤┬┴┼")
DOUBLE_BOX = set("║═╔╗╚╝╠╣╦╩╬")
SHADES = set("░▒▓█")
GREEK_MATHS = set("αΓπΣστΦΘΩδ∞φε∩≡≥≤≈∙√ⁿ■")

# ---------------------------------------------------------------------------
# LANGUAGE.TXT
# ---------------------------------------------------------------------------

LANGUAGE = ("LANGUAGE.TXT", "Language Reference", [
(["Introduction", "Overview", "Marlix"], " Welcome to Marlix 2.10", """\
^Marlix 2.10 Language Reference

 Marlix is a small structured language for short programs, quick
 calculations and plain text reports at the console. A program is a
 text file of statements, one statement to a line.

%What this reference holds
\t■ the ~Program Structure~ and the rules for ~Identifiers~
\t■ ~Data Types~, ~Constants~, ~Variables~ and ~Arrays~
\t■ ~Operators~ and ~Expressions~
\t■ the control statements ~IF~, ~LOOP~, ~FOR~, ~SELECT~ and ~PROC~
\t■ the built-in functions of the ~Function Library~
\t■ the ~Editor~ and the tools that come with it
\t■ tables of characters, words and limits in the ~Appendices~

%How to read it
 Words in capital letters, such as PRINT, are keywords. A word in
 angle brackets, such as <expression>, stands for something you
 write in its place. Parts in square brackets [ ] may be left out.
"""),

(["Program Structure", "Blocks", "END"], " Program Structure", """\
 A program is read from its first line to its last. A statement that
 opens a block, such as ~IF~ or ~PROC~, is closed by a matching word
 further down: ENDIF, ENDPROC and so on. Blocks may be nested.

%Layout of a program
\t' Marlix 2.10 sample: greet the user
\tCONST greeting$ = "Hello"
\tLET who$ = INPUT$("Your name? ")
\tPRINT greeting$ & ", " & who$ & "!"
\tEND

 The END statement stops the program at once. A program that runs
 past its last line ends in the same way.

 A line may hold at most 250 characters; see ~Limits~.
"""),

(["Identifiers", "Names"], " Identifiers", """\
 An identifier names a variable, a constant, an array or a procedure.
 It starts with a letter and goes on with letters, digits and the
 underscore. Letter case does not count: Total, TOTAL and total are
 one and the same name.

 A name that ends in "$" holds text; any other name holds a number.
 Keywords cannot be used as names; see ~Reserved Words~.

%Examples
\tcount\t\tvalid, holds a number
\tfirst_name$\tvalid, holds a text
\t2nd_try\t\tinvalid, starts with a digit
\tfor\t\tinvalid, a keyword
"""),

(["Data Types", "INTEGER", "REAL", "TEXT"], " Data Types", """\
 Every value in Marlix has one of three types.

\t╔═════════╦══════════════════════════════╦══════════╗
\t║ Type    ║ Values                       ║ Suffix   ║
\t╠═════════╬══════════════════════════════╬══════════╣
\t║ INTEGER ║ -2147483648 to 2147483647    ║ none     ║
\t║ REAL    ║ |x| ≤ 1.7E308, 15 digits     ║ none     ║
\t║ TEXT    ║ 0 to 32767 characters        ║ $        ║
\t╚═════════╩══════════════════════════════╩══════════╝

 A number written without a point is an INTEGER; a number with a
 point or an exponent, such as 2.5 or 6E23, is a REAL. When the two
 meet in one ~expression~ the result is a REAL. Text values are
 described under ~Strings~.
"""),

(["Constants", "CONST"], " CONST Statement", """\
 CONST gives a fixed value a name. The value must be known when the
 program is read, so it may use only numbers, texts and constants.

%Syntax
\tCONST <name> = <expression>

%Predefined constants
\tPI\t3.14159265358979\t(π)
\tE\t2.71828182845905
\tTRUE\t-1
\tFALSE\t0

 Giving a constant a new value with ~LET~ is error 14; see
 ~Error Codes~.
"""),

(["Variables", "LET"], " LET Statement", """\
 A variable comes into being the first time a value is given to it.
 The word LET may be left out.

%Syntax
\t[LET] <name> = <expression>

%Example
\tLET radius = 2.5
\tarea = PI * radius ^ 2\t' π ∙ r ∙ r

 A variable that is read before it was given a value holds 0, or ""
 for a text variable. See also ~Data Types~ and ~DIM~.
"""),

(["Operators", "Operator Precedence"], " Operators", """\
 Operators are applied in the order shown, highest rank first.
 Operators of the same rank are applied from left to right.

\t┌──────┬──────────────┬──────────────────────────────┐
\t│ Rank │ Operator     │ Meaning                      │
\t├──────┼──────────────┼──────────────────────────────┤
\t│  1   │ ^            │ power: x ^ n gives xⁿ        │
\t│  2   │ -  ~~         │ negation, bitwise NOT        │
\t│  3   │ *  /  MOD    │ product, quotient, remainder │
\t│  4   │ +  -         │ sum and difference           │
\t│  5   │ &            │ joins two texts              │
\t│  6   │ =  <>  <  >  │ comparison                   │
\t│      │ <=  >=       │ (≤ and ≥)                    │
\t│  7   │ AND OR XOR   │ logic on TRUE and FALSE      │
\t└──────┴──────────────┴──────────────────────────────┘

 The ~~ operator turns over every bit of an ~INTEGER~, so ~~0 gives -1.
 Use brackets to change the order: (1 + 2) * 3 gives 9.
"""),

(["Expressions", "Expression"], " Expressions", """\
 An expression combines values, variables and function calls with
 ~Operators~. Each function of the ~Function Index~ may appear in it.

%Examples
\t(a + b) / 2
\tSQR(x * x + y * y)\t' √(x∙x + y∙y)
\tname$ & " <" & mail$ & ">"
\tcount >= 10 AND done = FALSE

 A comparison gives TRUE (-1) or FALSE (0), so it can be used in a
 sum: hits = hits + (-(guess = secret)).
"""),

(["IF", "ELSE", "ELSEIF", "ENDIF", "THEN"], " IF Statement", """\
 IF runs a block of statements only when a condition is TRUE.

%Syntax
\tIF <condition> THEN
\t\t<statements>
\t[ELSEIF <condition> THEN
\t\t<statements>]
\t[ELSE
\t\t<statements>]
\tENDIF

%Example
\tIF score >= 90 THEN
\t\tPRINT "Grade A"
\tELSEIF score >= 75 THEN
\t\tPRINT "Grade B"
\tELSE
\t\tPRINT "Try again"
\tENDIF

 When many branches test one value, ~Select~ is easier to read.
"""),

(["LOOP", "WHILE", "UNTIL", "EXIT LOOP"], " LOOP Statement", """\
 LOOP repeats a block. A WHILE condition is tested before each pass,
 an UNTIL condition after it. EXIT LOOP leaves the innermost loop.

%Syntax
\tLOOP [WHILE <condition>]
\t\t<statements>
\tENDLOOP [UNTIL <condition>]

%Example
\tLET n = 1
\tLOOP WHILE n < 1000
\t\tn = n * 2
\tENDLOOP
\tPRINT n\t\t' prints 1024

 To count through a range of numbers use ~for~ instead.
"""),

(["FOR", "NEXT", "STEP", "TO"], " FOR Statement", """\
 FOR counts a variable from a start value to an end value.

%Syntax
\tFOR <name> = <start> TO <end> [STEP <step>]
\t\t<statements>
\tNEXT [<name>]

%Example: powers of two
\tFOR i = 0 TO 10
\t\tPRINT USING "2^## = #####"; i, 2 ^ i
\tNEXT i

 The block does not run at all when <start> > <end> and the step is
 above 0. See ~PRINT USING~ for the picture string, and ~LOOP~ for a
 loop that ends on a condition.
"""),

(["SELECT", "CASE", "CASE ELSE"], " SELECT Statement", """\
 SELECT compares one value with a list of cases and runs the block of
 the first case that matches. CASE ELSE matches any value.

%Example
\tSELECT answer$
\tCASE "y", "Y"
\t\tPRINT "Yes"
\tCASE "n", "N"
\t\tPRINT "No"
\tCASE ELSE
\t\tPRINT "Please answer y or n"
\tENDSELECT

 A case may also give a range, CASE 1 TO 9, or a test, CASE IS > 100.
 See also ~IF~.
"""),

(["PROC", "Procedures", "RETURN", "ENDPROC"], " PROC Statement", """\
 PROC defines a named procedure. It may take parameters and may give
 back a value with RETURN.

%Syntax
\tPROC <name>(<parameters>)
\t\t<statements>
\t\t[RETURN <expression>]
\tENDPROC

%Example
\tPROC hypot(a, b)
\t\tRETURN SQR(a * a + b * b)
\tENDPROC
\tPRINT hypot(3, 4)\t' prints 5

 Variables made inside a procedure are local to it. A procedure may
 call itself; the depth is bounded as shown in ~Limits~.
"""),

(["Comments", "REM"], " Comments", """\
 A comment starts with REM or with an apostrophe and runs to the end
 of the line. The ~Editor~ shows comments in grey.

\tREM This whole line is a comment
\tLET t = 0\t' and so is the rest of this line
"""),

(["Strings", "String Literals"], " Strings", """\
 A string literal is text between double quotes: "like this". Two
 double quotes in a row stand for one, so "say \"\"hi\"\"\" holds say "hi".
 Texts are joined with the & operator: "Mar" & "lix" gives "Marlix".

 For the functions that take texts apart see ~MID$~, ~LEN~ and ~FIND~.

%Drawing characters
 CHR$ gives any character of the code page, so that a program can
 draw boxes and shades: CHR$(219) is █ and CHR$(176) is ░. See the
 ~Character Set~.
"""),

(["Arrays", "DIM"], " DIM Statement", """\
 DIM makes an array of up to three dimensions. Indexes start at 0.

%Syntax
\tDIM <name>(<size1> [, <size2> [, <size3>]])

%Example
\tDIM grid(9, 9)
\tFOR r = 0 TO 9
\t\tFOR c = 0 TO 9
\t\t\tgrid(r, c) = r * c
\t\tNEXT c
\tNEXT r

 An index outside the array is error 9 (see ~Error Codes~). ~SUM~
 adds up all the elements of an array.
"""),
])

# ---------------------------------------------------------------------------
# FUNCTIONS.TXT
# ---------------------------------------------------------------------------

FUNCTIONS = ("Functions.txt", "Function Library", [
(["Function Index", "Function Library", "Functions"], " Built-in Functions", """\
^Built-in Functions

 Marlix 2.10 has these built-in functions and statements. Functions
 that give back a text have names that end in "$".

%Numbers
\t~ABS~\t~SQR~\t~SIN~\t~COS~\t~TAN~\t~ATN~
\t~EXP~\t~LOG~\t~ROUND~\t~TRUNC~\t~RND~\t~SUM~
%Texts
\t~LEN~\t~MID$~\t~LEFT$~\t~RIGHT$~\t~UPPER$~\t~FIND~
\t~STR$~\t~VAL~\t~CHR$~\t~ASC~
%Input and output
\t~PRINT~\t~PRINT USING~\t~INPUT$~\t~CLS~
"""),

(["ABS", "SGN"], " ABS and SGN Functions", """\
 ABS(x) gives the absolute value of x. SGN(x) gives -1, 0 or 1 when x
 is below, equal to or above 0.

\tPRINT ABS(-7.5), SGN(-7.5)\t' prints 7.5  -1
"""),

(["SQR", "Square Root"], " SQR Function", """\
 SQR(x) gives the square root √x of a number x ≥ 0. A negative
 argument is error 5.

\tPRINT SQR(2)\t' prints 1.4142135623731

 For other roots use the power operator: x ^ (1 / n) gives the n-th
 root of x (see ~Operators~).
"""),

(["SIN", "COS", "TAN"], " SIN, COS and TAN Functions", """\
 SIN(Θ), COS(Θ) and TAN(Θ) take an angle Θ in radians. To turn
 degrees into radians, multiply by π / 180.

%Identities
\tSIN(Θ) ^ 2 + COS(Θ) ^ 2 ≡ 1
\tTAN(Θ) = SIN(Θ) / COS(Θ)

 TAN grows towards ∞ as Θ comes near π / 2; close to that angle the
 result is only ≈ right. The inverse of TAN is ~ATN~.
"""),

(["ATN", "ARCTAN"], " ATN Function", """\
 ATN(x) gives the angle φ, in radians, whose tangent is x. The result
 lies between -π / 2 and π / 2.

\tPRINT ATN(1) * 4\t' prints 3.14159265358979, that is π
"""),

(["EXP", "LOG"], " EXP and LOG Functions", """\
 EXP(n) gives eⁿ, where e = 2.71828... (the constant E, see
 ~CONST~). LOG(x) gives the natural logarithm of a number x > 0.

\tLOG(EXP(n)) = n
\tLOG(x) / LOG(10)\t' logarithm of x to base 10

 LOG of 0 or of a negative number is error 5 (~Error Codes~).
"""),

(["ROUND", "TRUNC", "INT"], " ROUND, TRUNC and INT Functions", """\
 ROUND(x [, d]) rounds x to d decimal places (0 when d is left out),
 halves away from 0. TRUNC(x) and INT(x) both drop the fraction:
 TRUNC moves towards 0, INT moves down.

\t┌────────┬──────────┬──────────┬────────┐
\t│ x      │ ROUND(x) │ TRUNC(x) │ INT(x) │
\t├────────┼──────────┼──────────┼────────┤
\t│  2.5   │     3    │     2    │    2   │
\t│ -2.5   │    -3    │    -2    │   -3   │
\t│  7.49  │     7    │     7    │    7   │
\t└────────┴──────────┴──────────┴────────┘
"""),

(["RND", "RANDOMIZE"], " RND Function and RANDOMIZE", """\
 RND gives a random ~REAL~ r with 0 ≤ r < 1. RANDOMIZE <seed> starts
 the sequence afresh, so that a program can repeat the same numbers.

\tRANDOMIZE 42
\tdie = INT(RND * 6) + 1

%Spread of 6000 throws of a die
\t1 ▓▓▓▓▓▓▓▓▓▓░░   1012
\t2 ▓▓▓▓▓▓▓▓▓▒░░    977
\t3 ▓▓▓▓▓▓▓▓▓▓░░   1004
\t4 ▓▓▓▓▓▓▓▓▓▓▒░   1031
\t5 ▓▓▓▓▓▓▓▓▓▒░░    985
\t6 ▓▓▓▓▓▓▓▓▓▒░░    991
 Each ▓ stands for 100 throws and each ▒ for 50; the ░ fill every
 bar up to the width of 1200 throws.
"""),

(["SUM", "PRODUCT"], " SUM and PRODUCT Functions", """\
 SUM(a) gives Σ a(i), the sum of every element of the array a.
 PRODUCT(a) gives a(0) ∙ a(1) ∙ ... ∙ a(n), the product of them all.
 Both accept arrays made by ~DIM~ with any number of dimensions.

\tDIM w(2)
\tw(0) = 2 : w(1) = 3 : w(2) = 4
\tPRINT SUM(w), PRODUCT(w)\t' prints 9  24
"""),

(["LEN"], " LEN Function", """\
 LEN(t$) gives the number of characters of the text t$. An empty text
 has length 0.

\tPRINT LEN("Marlix")\t' prints 6
"""),

(["MID$", "LEFT$", "RIGHT$"], " MID$, LEFT$ and RIGHT$ Functions", """\
 These functions cut a piece out of a text. Positions start at 1.

\tMID$(t$, p [, n])\tn characters from position p
\tLEFT$(t$, n)\t\tthe first n characters
\tRIGHT$(t$, n)\t\tthe last n characters

%Example
\tt$ = "Marlix 2.10"
\tPRINT LEFT$(t$, 3) & "-" & MID$(t$, 8, 1)\t' prints Mar-2

 A piece that reaches beyond the end of the text is shortened, so
 LEFT$("ab", 5) gives "ab". See also ~LEN~ and ~FIND~.
"""),

(["UPPER$", "LOWER$"], " UPPER$ and LOWER$ Functions", """\
 UPPER$(t$) gives t$ with the letters a to z turned into A to Z;
 LOWER$ does the reverse. Other characters are left as they are.

\tIF UPPER$(answer$) = "YES" THEN PRINT "Agreed"
"""),

(["FIND", "FIND FROM"], " FIND Function", """\
 FIND(t$, part$ [, from]) gives the position of the first part$ in t$
 at or after position from, or 0 when there is none.

\tPRINT FIND("a<b>c", ">")\t' prints 4
\tPRINT FIND("banana", "an", 3)\t' prints 4

 To search the program text itself use ~Find and Replace~ in the
 ~editor~.
"""),

(["STR$", "VAL"], " STR$ and VAL Functions", """\
 STR$(x) gives the text of a number as ~PRINT~ would show it. VAL(t$)
 reads a number from the start of a text and gives 0 when there is
 none.

\tPRINT VAL("42 apples") + 1\t' prints 43
\tPRINT "[" & STR$(7) & "]"\t\t' prints [7]
"""),

(["CHR$", "ASC"], " CHR$ and ASC Functions", """\
 CHR$(n) gives the character with code n, from 0 to 255; ASC(t$)
 gives the code of the first character of t$.

\tPRINT CHR$(65), ASC("a")\t' prints A  97
\tPRINT CHR$(201) & CHR$(205) & CHR$(187)\t' prints ╔═╗

 The characters above 127 are listed in the ~Character Set~ and the
 ~Box Characters~ tables.
"""),

(["PRINT", "PRINT USING", "?"], " PRINT Statement", """\
 PRINT writes values to the screen. A comma moves to the next column
 of 14 characters, a semicolon writes the next value right after the
 last one, and a semicolon at the end keeps the cursor on the line.
 The question mark "?" is a short form of PRINT.

%Syntax
\tPRINT [<expression> [{, | ;} <expression>]...]
\tPRINT USING <picture$>; <expression>[, <expression>]...

%Picture strings
\t#\t\tone digit
\t.\t\tthe decimal point
\t,\t\ta thousands separator
\t&\t\ta whole text value
\t~~\t\tthe next character is written as it stands

\tPRINT USING "Total: ###,###.##"; 12345.678
\t' prints Total:  12,345.68

 See also ~STR$~ and ~CLS~.
"""),

(["INPUT$", "INPUT"], " INPUT$ Function and INPUT Statement", """\
 INPUT$(prompt$) writes prompt$ and gives back the line that the user
 types, without its line end. INPUT <name> reads a number instead and
 asks again until a number is typed.

\tname$ = INPUT$("Who are you? ")
\tINPUT age
\tIF age < 18 THEN PRINT "Hello, young " & name$ & "!"
"""),

(["CLS", "LOCATE", "COLOR"], " CLS, LOCATE and COLOR Statements", """\
 CLS clears the screen. LOCATE row, column moves the cursor, counting
 from 1, 1 at the top left of the 80 x 25 screen. COLOR fore, back
 picks one of 16 text colours and one of 8 background colours.

\tCLS
\tCOLOR 14, 1
\tLOCATE 12, 35 : PRINT "Ready"

 Drawing with single pixels needs the ~GRAPHICS~ add-on, which is not
 part of Marlix 2.10. Text characters such as █ and ▀ go a long way
 instead; see the ~Box Characters~.
"""),
])

# ---------------------------------------------------------------------------
# editor.txt
# ---------------------------------------------------------------------------

EDITOR = ("editor.txt", "Editor and Tools", [
(["Editor", "Editing Window"], " The Marlix Editor", """\
 The editor is where programs are written, run and debugged. It shows
 the program in the editing window below the ~Menu Bar~, and a status
 line at the bottom of the screen.

\t╔═ HELLO.MLX ══════════════════════════════════════════╗
\t║ ' Marlix 2.10 sample: greet the user                 ║
\t║ CONST greeting$ = "Hello"                            ║
\t║ LET who$ = INPUT$("Your name? ")                     ║
\t║ PRINT greeting$ & ", " & who$ & "!"█                 ║
\t╚══════════════════════════════════════════════════════╝
\t Line 4  Col 37  INS                           F1 Help

 Keywords are shown in white, texts in yellow and ~comments~ in grey.
 See ~Editing Keys~ for moving around.
"""),

(["Editing Keys", "Keys", "Shortcuts"], " Editing Keys", """\
%Moving
\tArrow keys\tone character or line
\tCtrl+Left\tone word left
\tHome, End\tstart or end of the line
\tPgUp, PgDn\tone screen up or down
%Editing
\tIns\t\tswitch between insert and overwrite
\tDel\t\tdelete the character under the cursor
\tCtrl+Y\t\tdelete the whole line
\tCtrl+Z\t\tundo the last change
%Programs
\tF1\t\thelp on the word under the cursor
\tF5\t\t~run~ the program
\tF8\t\t~Single Step~
\tF9\t\tset or clear a ~breakpoint~

 The key table can be changed in ~Options~.
"""),

(["Menu Bar", "Menus"], " The Menu Bar", """\
 Press Alt or click the top line to open a menu.

\t File  Edit  Search  Run  Debug  Options           Help
\t░░░░░░░░░░░░┌───────────────────────┐░░░░░░░░░░░░░░░░░░░░
\t░░░░░░░░░░░░│ Find...        Ctrl+F │░░░░░░░░░░░░░░░░░░░░
\t░░░░░░░░░░░░│ Replace...     Ctrl+H │░░░░░░░░░░░░░░░░░░░░
\t░░░░░░░░░░░░│ Go to line...  Ctrl+G │░░░░░░░░░░░░░░░░░░░░
\t░░░░░░░░░░░░└───────────────────────┘▒░░░░░░░░░░░░░░░░░░░
\t░░░░░░░░░░░░░▒▒▒▒▒▒▒▒▒▒▒▒▒▒▒▒▒▒▒▒▒▒▒▒▒░░░░░░░░░░░░░░░░░░░

 The Search menu holds ~Find and Replace~; the Run menu is described
 under ~Running Programs~ and the Debug menu under ~Debugger~.
"""),

(["Find and Replace", "Search"], " Find and Replace", """\
 Ctrl+F looks for a piece of text, Ctrl+H replaces it. In the search
 text, "?" stands for any one character and "*" for any run of
 characters. Put ~~ before one of them to look for the sign itself:
 "~~*" finds a star.

%Options
\t■ Match case: tell "Sum" from "SUM"
\t■ Whole words: skip "SUMMARY" when looking for "SUM"
\t■ Selection only: search the marked lines only

 To search a text from inside a program use ~FIND~.
"""),

(["Running Programs", "RUN", "F5"], " Running Programs", """\
 F5, or Start in the Run menu, runs the program from its first line.
 Before it runs, the whole program is checked; the first error found
 is shown with its line, as listed in ~Error Codes~.

 Ctrl+Break stops a running program and puts the cursor on the line
 that was about to run. ~Debugger~ commands then go on from there.
"""),

(["Debugger", "Breakpoint", "Single Step"], " The Debugger", """\
 The debugger lets a program run one statement at a time.

\tF8\t\trun the next statement, entering ~procedures~
\tShift+F8\trun the next statement, stepping over calls
\tF9\t\tset or clear a breakpoint on the cursor line
\tCtrl+F9\t\tclear every breakpoint

 A breakpoint line is shown as ▐████▌ in the left margin. Values of
 variables can be followed in the ~Watch Window~.
"""),

(["Watch Window", "Watches"], " The Watch Window", """\
 The watch window lists expressions and their current values; they
 are brought up to date after every step of the ~Debugger~.

\t┌─ Watch ────────────────────────────┐
\t│ n              1024                │
\t│ name$          "Ada"               │
\t│ n >= 1000      -1                  │
\t│ grid(2, 3)     6                   │
\t└────────────────────────────────────┘

 Any ~expression~ may be watched, even one that calls a function.
"""),

(["Options", "Settings", "MARLIX.INI"], " Options", """\
 The Options menu sets the colours, the tab width (2 to 8, default
 4), the key table of the ~Editing Keys~ and the folder for programs.
 Settings are kept in the file MARLIX.INI beside the program:

\t[Editor]
\tTabWidth=4
\tColors="14,1;7,1;8,1"
\tFolder=PROGRAMS

 Delete MARLIX.INI to go back to the settings that Marlix came with.
"""),

(["Command Line", "Starting Marlix"], " Starting Marlix", """\
 Marlix is started from the command prompt:

\tMARLIX [/R] [/B] [<program>]

\t/R\t\truns <program> at once and leaves when it ends
\t/B\t\tuses black and white only
\t<program>\tthe file to load; .MLX is added when no
\t\t\textension is given

 Example: MARLIX /R REPORT > REPORT.OUT writes the output of the
 program REPORT to a file. See ~Running Programs~.
"""),
])

# ---------------------------------------------------------------------------
# Appendix.TXT
# ---------------------------------------------------------------------------

APPENDIX = ("Appendix.TXT", "Appendices", [
(["Appendices", "Appendix Contents"], " Appendices", """\
^Appendices

\tA  ~Character Set~
\tB  ~Box Characters~
\tC  ~Greek Letters~ and signs
\tD  ~Reserved Words~
\tE  ~Limits~
\tF  ~Error Codes~
\tG  ~Glossary~
\tH  ~Version History~
"""),

(["Character Set", "Code Page"], " Appendix A: Character Set", """\
 Marlix shows text in the character set of the console, code page
 437. Codes 32 to 126 are the usual letters, digits and signs; codes
 128 to 255 hold accented letters, lines, shades and maths signs.

 Accented letters and signs are written as they are: a café in
 Zürich, Ångström, señor, garçon; 25°C ± 0.5°, 5 µs, r² and ½.

\t┌─────┬─────┬─────┬─────┬─────┬─────┬─────┬─────┐
\t│ 176 │ 177 │ 178 │ 219 │ 220 │ 221 │ 222 │ 223 │
\t├─────┼─────┼─────┼─────┼─────┼─────┼─────┼─────┤
\t│  ░  │  ▒  │  ▓  │  █  │  ▄  │  ▌  │  ▐  │  ▀  │
\t└─────┴─────┴─────┴─────┴─────┴─────┴─────┴─────┘

 Use ~CHR$~ to write any of them, and see the ~Box Characters~ for
 the line-drawing codes 179 to 218.
"""),

(["Box Characters", "Line Drawing"], " Appendix B: Box Characters", """\
%Single lines
\t┌──┬──┐\t218 196 194 191
\t│  │  │\t179
\t├──┼──┤\t195 197 180
\t└──┴──┘\t192 193 217
%Double lines
\t╔══╦══╗\t201 205 203 187
\t║  ║  ║\t186
\t╠══╬══╣\t204 206 185
\t╚══╩══╝\t200 202 188
%Mixed
\t╒══╤══╕\t213 209 184
\t╓──╥──╖\t214 210 183
\t╞══╪══╡\t198 216 181
\t╙──╨──╜\t211 208 189

 A box drawn with ~PRINT~ keeps its shape only with a fixed-width
 font, such as the one of the ~Editor~.
"""),

(["Greek Letters", "Maths Signs"], " Appendix C: Greek Letters and Signs", """\
 These characters may appear in texts and comments; they cannot be
 used in names (see ~Identifiers~).

\t╔══════╦════════╦═════════════════════════════════╗
\t║ Code ║ Sign   ║ Common use                      ║
\t╠══════╬════════╬═════════════════════════════════╣
\t║ 224  ║ α      ║ an angle, a rate                ║
\t║ 226  ║ Γ      ║ the gamma function              ║
\t║ 227  ║ π      ║ 3.14159..., see ~CONST~           ║
\t║ 228  ║ Σ      ║ a sum, see ~SUM~                  ║
\t║ 229  ║ σ      ║ a standard deviation            ║
\t║ 231  ║ τ      ║ a time constant                 ║
\t║ 232  ║ Φ      ║ a flux                          ║
\t║ 233  ║ Θ      ║ an angle, see ~SIN~               ║
\t║ 234  ║ Ω      ║ ohms                            ║
\t║ 235  ║ δ      ║ a small change                  ║
\t║ 236  ║ ∞      ║ infinity                        ║
\t║ 237  ║ φ      ║ a phase, see ~ATN~                ║
\t║ 238  ║ ε      ║ a tiny amount                   ║
\t║ 239  ║ ∩      ║ the meet of two sets            ║
\t║ 240  ║ ≡      ║ is the same as                  ║
\t║ 242  ║ ≥      ║ at least                        ║
\t║ 243  ║ ≤      ║ at most                         ║
\t║ 247  ║ ≈      ║ nearly equal                    ║
\t║ 249  ║ ∙      ║ times                           ║
\t║ 251  ║ √      ║ square root, see ~SQR~            ║
\t║ 252  ║ ⁿ      ║ to the power n                  ║
\t║ 254  ║ ■      ║ a bullet                        ║
\t╚══════╩════════╩═════════════════════════════════╝
"""),

(["Reserved Words", "Keywords"], " Appendix D: Reserved Words", """\
 The following words are keywords and cannot be used as names.

\tAND\t\tCASE\t\tCONST\t\tDIM
\tELSE\t\tELSEIF\t\tEND\t\tENDIF
\tENDLOOP\t\tENDPROC\t\tENDSELECT\tEXIT
\tFOR\t\tIF\t\tIS\t\tLET
\tLOOP\t\tMOD\t\tNEXT\t\tOR
\tPRINT\t\tPROC\t\tREM\t\tRETURN
\tSELECT\t\tSTEP\t\tTHEN\t\tTO
\tUNTIL\t\tUSING\t\tWHILE\t\tXOR

 The names of the built-in functions (see the ~function index~) are
 not reserved, but a program that uses one as a name hides the
 function.
"""),

(["Limits"], " Appendix E: Limits", """\
\t┌───────────────────────────────┬───────────────┐
\t│ Length of a program line      │ 250 chars     │
\t│ Length of a name              │ 40 chars      │
\t│ Length of a text value        │ 32767 chars   │
\t│ Dimensions of an array        │ 3             │
\t│ Elements of an array          │ 65535         │
\t│ Depth of nested blocks        │ 32            │
\t│ Depth of procedure calls      │ 200           │
\t│ Size of a program             │ 60 KB         │
\t└───────────────────────────────┴───────────────┘

 A program that goes beyond one of these limits stops with an error;
 see ~Error Codes~. For the ranges of numbers see ~Data Types~.
"""),

(["Error Codes", "Errors", "Error Messages"], " Appendix F: Error Codes", """\
\t╔════╦══════════════════════════════════════════╗
\t║  2 ║ Syntax error                             ║
\t║  5 ║ Argument out of range: SQR(-1), LOG(0)   ║
\t║  6 ║ Number too large                         ║
\t║  7 ║ Out of memory                            ║
\t║  9 ║ Index outside the array                  ║
\t║ 11 ║ Division by 0                            ║
\t║ 13 ║ Type mismatch: "a" + 1                   ║
\t║ 14 ║ A constant cannot be changed             ║
\t║ 20 ║ RETURN outside a procedure               ║
\t║ 26 ║ FOR without NEXT                         ║
\t║ 28 ║ Nesting too deep                         ║
\t║ 53 ║ File not found                           ║
\t╚════╩══════════════════════════════════════════╝

 Where the error happened is shown by the ~Editor~; the ~Debugger~
 can then look at the variables.
"""),

(["Glossary"], " Appendix G: Glossary", """\
%block
 A run of statements between an opening word and its closing word,
 such as IF ... ENDIF. See ~Blocks~.
%expression
 Values joined by operators; see ~Expressions~.
%picture string
 The text that tells ~PRINT USING~ how to lay out numbers.
%procedure
 A named block that can be called; see ~PROC~.
%text
 A value made of characters; see ~Strings~.
"""),

(["Version History", "What's New"], " Appendix H: Version History", """\
^Marlix 2.10
\t■ New: ~SUM~ and ~PRODUCT~ work on arrays of any dimension.
\t■ New: ~FIND~ takes a start position.
\t■ New: the ~Watch Window~ accepts any expression.
\t■ Fixed: ROUND(-2.5) now gives -3, as documented.
^Marlix 2.00
\t■ New: ~SELECT~ and CASE ELSE.
\t■ New: ~PROC~ may call itself, up to 200 levels deep.
\t■ Changed: the & operator joins texts; + no longer does.
^Marlix 1.00
\t■ First release.
"""),
])

FILES = [LANGUAGE, FUNCTIONS, EDITOR, APPENDIX]


# ---------------------------------------------------------------------------
# Building and checking
# ---------------------------------------------------------------------------

def file_lines(title, topics):
    """The lines of one file as str, without line ends."""
    lines = ["@" + title]
    for names, title_line, body in topics:
        lines.append(":" + ":".join(names))
        lines.append(title_line)
        body_lines = body.split("\n")
        if body_lines and body_lines[-1] == "":
            body_lines.pop()
        lines.extend(body_lines)
    return lines


def encode(lines):
    return b"".join(line.encode("cp437") + b"\r\n" for line in lines)


def references(line):
    """Cross-reference names and the number of literal tildes of one body
    line, read as the converter reads it; None for a link left open."""
    names, tildes = [], 0
    i, open_link, text = 1, False, []
    while i < len(line):
        c = line[i]
        if c == "~" and i + 1 < len(line) and line[i + 1] == "~":
            tildes += 1
            i += 2
            continue
        if c == "~":
            if open_link:
                names.append("".join(text))
                text = []
            open_link = not open_link
        elif open_link:
            text.append(c)
        i += 1
    return (None if open_link else names), tildes


def check(files):
    """Validates the sample; returns (problems, figures)."""
    problems = []
    catalogue = {}  # upper-case name -> file index
    topics = 0
    for index, (fname, title, entries) in enumerate(files):
        for names, _, _ in entries:
            topics += 1
            for name in names:
                key = name.upper()
                if not name or name != name.strip() or ":" in name:
                    problems.append(f"{fname}: bad topic name {name!r}")
                if key in catalogue:
                    problems.append(f"{fname}: name {name!r} used twice")
                catalogue[key] = index

    refs = cross_file = literal_tildes = 0
    unresolved = set()
    seen = set()
    for index, (fname, title, entries) in enumerate(files):
        lines = file_lines(title, entries)
        data = encode(lines)
        if not data.startswith(b"@"):
            problems.append(f"{fname}: does not start with @")
        previous_topic = False
        for number, line in enumerate(lines, 1):
            raw = line.encode("cp437")
            where = f"{fname}:{number}"
            if len(raw) > MAX_LINE:
                problems.append(f"{where}: {len(raw)} bytes")
            for b in raw:
                if b in RAW_HIGH_ON_PURPOSE:
                    seen.add(f"raw {b:#04x}")
                elif b >= 0x80 and b not in RENDERED_HIGH:
                    problems.append(f"{where}: byte {b:#04x} is not rendered")
                if b < 0x20 and b != 0x09:
                    problems.append(f"{where}: control byte {b:#04x}")
            if line != line.rstrip(" "):
                problems.append(f"{where}: trailing blank")
            is_topic = number > 1 and line.startswith(":")
            if is_topic and previous_topic:
                problems.append(f"{where}: two topic lines in a row")
            previous_topic = is_topic
            if number == 1 or is_topic:
                continue
            names, tildes = references(line)
            literal_tildes += tildes
            if names is None:
                problems.append(f"{where}: link left open")
                continue
            for name in names:
                refs += 1
                target = catalogue.get(name.upper())
                if target is None:
                    unresolved.add(name)
                elif target != index:
                    cross_file += 1
            if len(line) >= 2:
                seen.add({"\t": "indented", "^": "centred",
                          "%": "bold"}.get(line[0], "plain"))
                body = line[1:]
                if "\t" in body:
                    seen.add("inner tab")
                for group, chars in (("single box", SINGLE_BOX),
                                     ("double box", DOUBLE_BOX),
                                     ("shades", SHADES),
                                     ("greek/maths", GREEK_MATHS)):
                    if any(c in chars for c in body):
                        seen.add(group)
                for c in "<>&\"":
                    if c in body.replace("~~", ""):
                        seen.add("html " + c)
            else:
                seen.add("blank")

    if unresolved != UNRESOLVED_ON_PURPOSE:
        problems.append(f"unresolved references: {sorted(unresolved)}")
    if not 30 <= topics <= 60:
        problems.append(f"{topics} topics, expected 30 to 60")
    if literal_tildes == 0:
        problems.append("no literal tilde")
    if cross_file == 0:
        problems.append("no cross-reference between files")
    wanted = {"plain", "indented", "centred", "bold", "inner tab", "blank",
              "single box", "double box", "shades", "greek/maths",
              "html <", "html >", "html &", "html \""}
    wanted |= {f"raw {b:#04x}" for b in RAW_HIGH_ON_PURPOSE}
    for feature in sorted(wanted - seen):
        problems.append(f"feature not used: {feature}")
    figures = {
        "files": len(files),
        "topics": topics,
        "names": len(catalogue),
        "cross-references": refs,
        "between files": cross_file,
        "literal tildes": literal_tildes,
        "bytes": sum(len(encode(file_lines(t, e))) for _, t, e in files),
    }
    return problems, figures


def main(argv):
    checking = argv[1:] == ["--check"]
    if argv[1:] and not checking:
        print("usage: make_reference.py [--check]", file=sys.stderr)
        return 2
    problems, figures = check(FILES)
    folder = pathlib.Path(__file__).resolve().parent / "reference"
    for fname, title, entries in FILES:
        data = encode(file_lines(title, entries))
        path = folder / fname
        if checking:
            if not path.is_file() or path.read_bytes() != data:
                problems.append(f"{fname}: differs from the generated text")
        elif not problems:
            folder.mkdir(exist_ok=True)
            path.write_bytes(data)
    if checking:
        expected = {f[0] for f in FILES}
        present = folder.iterdir() if folder.is_dir() else []
        extra = {p.name for p in present} - expected
        for name in sorted(extra):
            problems.append(f"{name}: not made by this script")
    for problem in problems:
        print("problem:", problem, file=sys.stderr)
    print(", ".join(f"{k} {v}" for k, v in figures.items()))
    return 1 if problems else 0


if __name__ == "__main__":
    sys.exit(main(sys.argv))
