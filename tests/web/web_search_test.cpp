// The search data of the web edition: what reaches it of a topic's text, and
// the script it is written as, read back the way search.js reads it.
#include "engine/editions/web/web_search.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstring>
#include <fstream>
#include <iterator>
#include <map>
#include <string>
#include <utility>
#include <vector>

#include "support/allocation.h"

namespace marlix {
namespace {

// ---------------------------------------------------------------------------
// The script read back: a reader of the JSON the script assigns (strings with
// escapes, whole numbers, arrays, objects), and a decoder of word codes
// written from the format's description, not from the encoder.

struct Value {
  enum class Kind { Text, Number, Array, Object } kind = Kind::Text;
  std::string text;
  long long number = 0;
  std::vector<Value> items;
  std::vector<std::string> keys;  // of an object, with its values in items

  const Value& operator[](const std::string& key) const {
    for (std::size_t i = 0; i < keys.size() && i < items.size(); ++i) {
      if (keys[i] == key) return items[i];
    }
    ADD_FAILURE() << "no field " << key;
    static const Value none;
    return none;
  }
};

class JsonReader {
 public:
  explicit JsonReader(const std::string& text) : text_(text) {}

  bool Read(Value& value) {
    Blanks();
    if (at_ >= text_.size()) return false;
    const char c = text_[at_];
    if (c == '"') {
      value.kind = Value::Kind::Text;
      return String(value.text);
    }
    if (c == '[') {
      value.kind = Value::Kind::Array;
      ++at_;
      return List(']', [&] {
        value.items.emplace_back();
        return Read(value.items.back());
      });
    }
    if (c == '{') {
      value.kind = Value::Kind::Object;
      ++at_;
      return List('}', [&] {
        value.keys.emplace_back();
        value.items.emplace_back();
        Blanks();
        if (!String(value.keys.back())) return false;
        Blanks();
        if (at_ >= text_.size() || text_[at_++] != ':') return false;
        return Read(value.items.back());
      });
    }
    if (c >= '0' && c <= '9') {
      value.kind = Value::Kind::Number;
      while (at_ < text_.size() && text_[at_] >= '0' && text_[at_] <= '9') {
        value.number = value.number * 10 + (text_[at_++] - '0');
      }
      return true;
    }
    return false;
  }
  bool AtEnd() {
    Blanks();
    return at_ == text_.size();
  }

 private:
  void Blanks() {
    while (at_ < text_.size() && std::strchr(" \r\n", text_[at_]) != nullptr) ++at_;
  }
  bool String(std::string& out) {
    if (text_[at_++] != '"') return false;
    while (at_ < text_.size()) {
      const char c = text_[at_++];
      if (c == '"') return true;
      // A line break cannot stand in a script string.
      if (c == '\r' || c == '\n') return false;
      if (c == '\\') {
        if (at_ >= text_.size()) return false;
        const char escaped = text_[at_++];
        if (escaped == 'u') {
          if (!Escape(out)) return false;
          continue;
        }
        if (escaped != '"' && escaped != '\\') return false;
        out += escaped;
      } else if (static_cast<unsigned char>(c) >= 0x80) {
        return false;  // the script is ASCII
      } else {
        out += c;
      }
    }
    return false;
  }
  // The four hex digits of a \u escape, its character appended as UTF-8.
  bool Escape(std::string& out) {
    if (at_ + 4 > text_.size()) return false;
    unsigned point = 0;
    for (int i = 0; i < 4; ++i) {
      const char c = text_[at_++];
      const char* digit = std::strchr("0123456789abcdef", c);
      if (c == '\0' || digit == nullptr) return false;
      point = point * 16 + static_cast<unsigned>(digit - "0123456789abcdef");
    }
    if (point < 0x80) return false;  // ASCII is written as it is
    if (point < 0x800) {
      out += static_cast<char>(0xC0 | (point >> 6));
    } else {
      out += static_cast<char>(0xE0 | (point >> 12));
      out += static_cast<char>(0x80 | ((point >> 6) & 0x3F));
    }
    out += static_cast<char>(0x80 | (point & 0x3F));
    return true;
  }
  template <typename ReadItem>
  bool List(char close, ReadItem readItem) {
    Blanks();
    if (at_ < text_.size() && text_[at_] == close) {
      ++at_;
      return true;
    }
    for (;;) {
      if (!readItem()) return false;
      Blanks();
      if (at_ >= text_.size()) return false;
      const char c = text_[at_++];
      if (c == close) return true;
      if (c != ',') return false;
    }
  }

  const std::string& text_;
  std::size_t at_ = 0;
};

constexpr char kPrefix[] = "window.marlixSearchData = ";

// The object the script assigns; fails the test when the script is not
// exactly that assignment.
Value ReadScript(const std::string& script) {
  Value data;
  EXPECT_EQ(script.compare(0, std::strlen(kPrefix), kPrefix), 0) << script.substr(0, 40);
  EXPECT_TRUE(script.ends_with("};")) << script.substr(script.size() > 40 ? script.size() - 40 : 0);
  if (script.size() < std::strlen(kPrefix) + 1) return data;
  const std::string object = script.substr(std::strlen(kPrefix), script.size() - std::strlen(kPrefix) - 1);
  JsonReader reader(object);
  EXPECT_TRUE(reader.Read(data) && reader.AtEnd()) << object;
  return data;
}

// Word numbers from codes: "more" characters are leading digits (base K),
// a "final" character the last digit (base F) and the end of the code; a
// code of k more characters counts from F + F*K + ... + F*K^(k-1).
std::vector<unsigned long long> DecodeCodes(const std::string& codes, const std::string& finals,
                                            const std::string& mores) {
  std::vector<unsigned long long> numbers;
  unsigned long long value = 0;
  unsigned long long firstOfLength = 0;
  unsigned long long codesOfLength = finals.size();
  for (const char c : codes) {
    const std::size_t more = mores.find(c);
    if (more != std::string::npos) {
      value = value * mores.size() + more;
      firstOfLength += codesOfLength;
      codesOfLength *= mores.size();
      continue;
    }
    const std::size_t digit = finals.find(c);
    EXPECT_NE(digit, std::string::npos) << "not a code character: " << c;
    numbers.push_back(firstOfLength + value * finals.size() + digit);
    value = 0;
    firstOfLength = 0;
    codesOfLength = finals.size();
  }
  return numbers;
}

// One topic of the script, its text rebuilt from the word table.
struct Topic {
  std::string page;
  long long section = -1;
  std::string title;
  std::string text;
  std::vector<std::string> names;
};

// Of a token: each topic that holds it, with 4 * uses in the text + 2 (title)
// + 1 (name).
using Postings = std::vector<std::pair<unsigned long long, unsigned long long>>;

struct Data {
  std::vector<std::string> sections;
  std::vector<std::string> words;
  std::vector<Topic> topics;
  std::vector<unsigned long long> lengths;
  std::vector<std::string> tokens;  // in the order written
  std::map<std::string, Postings> index;
};

std::vector<std::string> SplitAtBlanks(const std::string& text) {
  std::vector<std::string> out;
  for (std::size_t start = 0; start < text.size();) {
    const std::size_t blank = std::min(text.find(' ', start), text.size());
    out.push_back(text.substr(start, blank - start));
    start = blank + 1;
  }
  return out;
}

Data Read(const SearchDataBuilder& builder) {
  TextString script;
  builder.AppendScript(script);
  const Value data = ReadScript(script.CStr());
  Data out;
  for (const Value& section : data["sections"].items) out.sections.push_back(section.text);
  out.words = SplitAtBlanks(data["words"].text);
  const std::string& finals = data["final"].text;
  const std::string& mores = data["more"].text;
  out.lengths = DecodeCodes(data["lengths"].text, finals, mores);
  out.tokens = SplitAtBlanks(data["tokens"].text);
  const std::vector<std::string> postings = SplitAtBlanks(data["postings"].text);
  EXPECT_EQ(postings.size(), out.tokens.size());
  for (std::size_t i = 0; i < out.tokens.size() && i < postings.size(); ++i) {
    const auto numbers = DecodeCodes(postings[i], finals, mores);
    EXPECT_EQ(numbers.size() % 2, 0u) << out.tokens[i];
    Postings& list = out.index[out.tokens[i]];
    unsigned long long topic = 0;
    for (std::size_t k = 0; k + 1 < numbers.size(); k += 2) {
      // The first topic's number, then the distance from the one before.
      EXPECT_TRUE(k == 0 || numbers[k] > 0) << out.tokens[i];
      topic += numbers[k];
      list.emplace_back(topic, numbers[k + 1]);
    }
  }
  for (const Value& entry : data["topics"].items) {
    Topic topic;
    EXPECT_GE(entry.items.size(), 4u);
    if (entry.items.size() < 4) continue;
    topic.page = entry.items[0].text;
    topic.section = entry.items[1].number;
    topic.title = entry.items[2].text;
    for (const unsigned long long n : DecodeCodes(entry.items[3].text, finals, mores)) {
      EXPECT_LT(n, out.words.size());
      if (n >= out.words.size()) continue;
      if (!topic.text.empty()) topic.text += ' ';
      topic.text += out.words[n];
    }
    for (std::size_t i = 4; i < entry.items.size(); ++i) topic.names.push_back(entry.items[i].text);
    out.topics.push_back(topic);
  }
  return out;
}

void Section(SearchDataBuilder& builder, const std::string& title) {
  builder.BeginSection(title.data(), static_cast<std::uint32_t>(title.size()));
}
void Name(SearchDataBuilder& builder, const std::string& name) {
  builder.AddName(name.data(), static_cast<std::uint32_t>(name.size()));
}
void Title(SearchDataBuilder& builder, const std::string& line) {
  builder.SetTitle(line.data(), static_cast<std::uint32_t>(line.size()));
}
void Line(SearchDataBuilder& builder, const std::string& line) {
  builder.AddTextLine(line.data(), static_cast<std::uint32_t>(line.size()));
}

// The text the data keeps of lines, fed as one topic.
std::string TextOf(const std::vector<std::string>& lines) {
  SearchDataBuilder builder;
  Section(builder, "S");
  builder.BeginTopic("B0P0.htm");
  for (const std::string& line : lines) Line(builder, line);
  const Data data = Read(builder);
  return data.topics.size() == 1 ? data.topics[0].text : "(no topic)";
}

// ---------------------------------------------------------------------------

TEST(SearchWordCodes, EachLengthStartsWhereTheShorterOnesEnd) {
  auto code = [](std::uint32_t n) {
    TextString out;
    AppendWordCode(out, n);
    return std::string(out.CStr());
  };
  EXPECT_EQ(code(0), "A");
  EXPECT_EQ(code(63), "_");
  EXPECT_EQ(code(64), "!A");
  EXPECT_EQ(code(65), "!B");
  EXPECT_EQ(code(64 + 64), "#A");
  EXPECT_EQ(code(64 + 28 * 64 - 1), "~_");
  EXPECT_EQ(code(64 + 28 * 64), "!!A");
  EXPECT_EQ(code(0xFFFFFFFFu).size(), 7u);
}

TEST(SearchWordCodes, EveryNumberComesBackFromItsCode) {
  const std::string finals = kSearchFinalDigits;
  const std::string mores = kSearchMoreDigits;
  // Neither alphabet may need escaping in a script string, hold a blank, or
  // share a character with the other: codes are written back to back.
  for (const char c : finals + mores) {
    EXPECT_TRUE(c > ' ' && c < 0x7F && c != '"' && c != '\\') << c;
    EXPECT_EQ((finals + mores).find(c), (finals + mores).rfind(c)) << c;
  }
  std::vector<std::uint32_t> numbers;
  for (std::uint32_t n = 0; n < 60000; ++n) numbers.push_back(n);
  for (std::uint32_t n : {1860000u, 52000000u, 0x7FFFFFFFu, 0xFFFFFFFEu, 0xFFFFFFFFu}) {
    numbers.push_back(n);
  }
  TextString codes;
  for (const std::uint32_t n : numbers) AppendWordCode(codes, n);
  const auto decoded = DecodeCodes(codes.CStr(), finals, mores);
  ASSERT_EQ(decoded.size(), numbers.size());
  for (std::size_t i = 0; i < numbers.size(); ++i) ASSERT_EQ(decoded[i], numbers[i]) << i;
}

TEST(SearchDataText, KeepsWhatTheReaderSeesOfTheMarkup) {
  EXPECT_EQ(TextOf({"see ~PRINT USING~ and ~Print~."}), "see PRINT USING and Print.");
  EXPECT_EQ(TextOf({"a~~b and ~~~x~"}), "a~b and ~x");
  // A "~" that nothing closes is shown, and so is the rest of the line.
  EXPECT_EQ(TextOf({"50~ off"}), "50~ off");
  // A reference of blanks is blanks.
  EXPECT_EQ(TextOf({"x~  ~y"}), "x y");
}

TEST(SearchDataText, DropsDrawingAndBlankRunsAndJoinsLinesWithOneBlank) {
  // "║ Type    ║ Values  ║", a rule of "═", and a shaded bar.
  EXPECT_EQ(TextOf({"\xBA Type    \xBA Values  \xBA", "\xC8\xCD\xCD\xCD\xBC", "x \xB0\xB1\xB2\xDB y"}),
                   "Type Values x y");
  EXPECT_EQ(TextOf({"   indented\t\ttext   ", "", "     ", "next line"}), "indented text next line");
  EXPECT_EQ(TextOf({"MOV AH, 4Ch", "INT 21h    ; 0x3F8"}), "MOV AH, 4Ch INT 21h ; 0x3F8");
  // Drawing glued to a word ends it.
  EXPECT_EQ(TextOf({"\xB3" "A\xB3" "B\xB3"}), "A B");
  EXPECT_EQ(TextOf({"\xCD\xCD\xCD", "  "}), "");
}

TEST(SearchDataText, ConvertsCodePage437ToUtf8AndEscapesForTheScript) {
  // "café ± π ≤ 2 ☺" and a quote and a backslash.
  EXPECT_EQ(TextOf({"caf\x82 \xF1 \xE3 \xF3 2 \x01"}), "café ± π ≤ 2 ☺");
  // The script itself is ASCII (the reader refuses anything else): a name,
  // a title and a token beyond ASCII are escapes.
  SearchDataBuilder builder;
  Section(builder, "\x9B section");
  builder.BeginTopic("B0P0.htm");
  Name(builder, "\x9Bname");
  Title(builder, "\xE3 title");
  Line(builder, "caf\x82");
  TextString script;
  builder.AppendScript(script);
  EXPECT_NE(std::string(script.CStr()).find("\"tokens\": \"CAF\\u00e9 TITLE \\u00a2NAME \\u03c0\""),
            std::string::npos) << script.CStr();
  const Data data = Read(builder);
  ASSERT_EQ(data.topics.size(), 1u);
  EXPECT_EQ(data.sections, std::vector<std::string>{"¢ section"});
  EXPECT_EQ(data.topics[0].names, std::vector<std::string>{"¢name"});
  EXPECT_EQ(data.topics[0].title, "π title");
  EXPECT_EQ(TextOf({"say \"hi\" to C:\\DOS\\"}), "say \"hi\" to C:\\DOS\\");
  EXPECT_EQ(TextOf({"<img src=x onerror=alert(1)> & <script>"}),
            "<img src=x onerror=alert(1)> & <script>");
}

TEST(SearchDataText, DropsOnlyTheLineEndResidueOfACarriageReturn) {
  // A CR that ends a piece is what the 80-byte limit left of CR LF; one
  // inside a line is a character the page shows (as a note).
  EXPECT_EQ(TextOf({"end\r", "a\rb"}), "end a\xE2\x99\xAA" "b");
  SearchDataBuilder builder;
  Section(builder, "Section\r");
  builder.BeginTopic("B0P0.htm");
  Name(builder, "LAST\r");
  Title(builder, "The title\r");
  const Data data = Read(builder);
  ASSERT_EQ(data.topics.size(), 1u);
  EXPECT_EQ(data.sections, std::vector<std::string>{"Section"});
  EXPECT_EQ(data.topics[0].names, std::vector<std::string>{"LAST"});
  EXPECT_EQ(data.topics[0].title, "The title");
}

TEST(SearchDataTopics, KeepPagesSectionsNamesAndTitlesInReadingOrder) {
  SearchDataBuilder builder;
  Line(builder, "text before any topic");
  Name(builder, "nameless");
  Section(builder, "Language \"Reference\"");
  builder.BeginTopic("B0P0.htm");
  Name(builder, "PRINT");
  Name(builder, "  PRINT   USING ");  // blanks collapsed as in the query
  Name(builder, "   ");                 // no name
  Name(builder, "\xC4\xC4");            // drawing only: no name
  Name(builder, "Say \"x\"");
  Title(builder, "The ~PRINT~ statement");
  Line(builder, "Writes text.");
  builder.BeginTopic("B0P1.htm");  // no names, no title, no text
  Section(builder, "");
  Section(builder, "Editor \xC4 keys");
  builder.BeginTopic("B2P2.htm");
  Name(builder, "Keys");
  Title(builder, "first");
  Title(builder, "  Moving   around ");  // the last title line counts
  Line(builder, "Up and ~Down~.");

  EXPECT_EQ(builder.TopicCount(), 3u);
  const Data data = Read(builder);
  EXPECT_EQ(data.sections,
            (std::vector<std::string>{"Language \"Reference\"", "", "Editor keys"}));
  ASSERT_EQ(data.topics.size(), 3u);
  EXPECT_EQ(data.topics[0].page, "B0P0.htm");
  EXPECT_EQ(data.topics[0].section, 0);
  EXPECT_EQ(data.topics[0].names, (std::vector<std::string>{"PRINT", "PRINT USING", "Say \"x\""}));
  EXPECT_EQ(data.topics[0].title, "The PRINT statement");
  EXPECT_EQ(data.topics[0].text, "Writes text.");
  EXPECT_EQ(data.topics[1].page, "B0P1.htm");
  EXPECT_EQ(data.topics[1].section, 0);
  EXPECT_TRUE(data.topics[1].names.empty());
  EXPECT_EQ(data.topics[1].title, "");
  EXPECT_EQ(data.topics[1].text, "");
  EXPECT_EQ(data.topics[2].page, "B2P2.htm");
  EXPECT_EQ(data.topics[2].section, 2);
  EXPECT_EQ(data.topics[2].title, "Moving around");
  EXPECT_EQ(data.topics[2].text, "Up and Down.");
}

TEST(SearchDataTopics, ATopicBeforeAnySectionGetsAnUntitledOne) {
  SearchDataBuilder builder;
  builder.BeginTopic("B0P0.htm");
  Line(builder, "x");
  const Data data = Read(builder);
  EXPECT_EQ(data.sections, std::vector<std::string>{""});
  ASSERT_EQ(data.topics.size(), 1u);
  EXPECT_EQ(data.topics[0].section, 0);
  EXPECT_EQ(data.topics[0].text, "x");
}

TEST(SearchDataWords, EachWordIsWrittenOnceAndTheMostUsedTakeTheShortestCodes) {
  SearchDataBuilder builder;
  Section(builder, "S");
  builder.BeginTopic("B0P0.htm");
  Line(builder, "once Often often often");
  builder.BeginTopic("B0P1.htm");
  Line(builder, "often often Often ~often~");
  const Data data = Read(builder);
  // Case is kept: "Often" and "often" are two words.
  EXPECT_EQ(data.words, (std::vector<std::string>{"often", "Often", "once"}));
  EXPECT_EQ(builder.WordCount(), 3u);
  ASSERT_EQ(data.topics.size(), 2u);
  EXPECT_EQ(data.topics[0].text, "once Often often often");
  EXPECT_EQ(data.topics[1].text, "often often Often often");

  TextString script;
  builder.AppendScript(script);
  EXPECT_NE(std::string(script.CStr()).find("\"CBAA\""), std::string::npos) << script.CStr();
}

TEST(SearchDataWords, ManyDistinctWordsComeBackIntact) {
  // Enough words for codes of two and three characters and for the word
  // table to grow several times; words that share a hash slot's
  // neighbourhood and differ in one byte.
  SearchDataBuilder builder;
  Section(builder, "S");
  std::vector<std::string> expected;
  for (int t = 0; t < 40; ++t) {
    builder.BeginTopic(("B0P" + std::to_string(t) + ".htm").c_str());
    std::string text;
    for (int w = 0; w < 2000; ++w) {
      const int n = (t * 2000 + w) * 7919 % 70000;
      const bool accented = n % 3 == 0;
      std::string line = " w";
      line += std::to_string(n);
      line += accented ? "\x82 " : " ";
      Line(builder, line);
      if (!text.empty()) text += ' ';
      text += 'w';
      text += std::to_string(n);
      if (accented) text += "é";
    }
    expected.push_back(text);
  }
  const Data data = Read(builder);
  EXPECT_EQ(builder.WordCount(), data.words.size());
  EXPECT_EQ(data.words.size(), 70000u);
  ASSERT_EQ(data.topics.size(), expected.size());
  for (std::size_t t = 0; t < expected.size(); ++t) {
    EXPECT_EQ(data.topics[t].text, expected[t]) << "topic " << t;
  }
}

// The index of one topic fed the given text lines: each token with its
// postings.
std::map<std::string, Postings> IndexOf(const std::vector<std::string>& lines) {
  SearchDataBuilder builder;
  Section(builder, "S");
  builder.BeginTopic("B0P0.htm");
  for (const std::string& line : lines) Line(builder, line);
  return Read(builder).index;
}

// The tokens of lines, in sorted order, each with its uses.
std::string TokensOf(const std::vector<std::string>& lines) {
  std::string out;
  for (const auto& [token, postings] : IndexOf(lines)) {
    if (!out.empty()) out += ' ';
    out += token;
    if (postings.size() == 1 && postings[0].second / 4 > 1) {
      out += '*';
      out += std::to_string(postings[0].second / 4);
    }
  }
  return out;
}

// The line of a sample file that holds needle, its format column cut off.
std::string SampleLine(const char* file, const std::string& needle) {
  std::ifstream in(std::string(MARLIX_SAMPLES) + "/" + file, std::ios::binary);
  const std::string text((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
  const std::size_t at = text.find(needle);
  EXPECT_NE(at, std::string::npos) << needle;
  if (at == std::string::npos) return "";
  const std::size_t start = text.rfind('\n', at) + 1;
  const std::size_t end = text.find_first_of("\r\n", at);
  return text.substr(start + 1, end - start - 1);
}

TEST(SearchTokens, SignsInsideWordsEndThemAndMakeTokensOfTheirOwn) {
  // Real lines of the sample reference (tables with their drawing).
  EXPECT_EQ(TokensOf({SampleLine("Appendix.TXT", "SQR(-1)")}),
            "( (- ) ), 0 1 5 : ARGUMENT LOG OF OUT RANGE SQR");
  EXPECT_EQ(TokensOf({SampleLine("Appendix.TXT", "ROUND(-2.5)")}),
            "(- ) , - .*2 2 3 5 : AS DOCUMENTED FIXED GIVES NOW ROUND \xE2\x96\xA0");
  EXPECT_EQ(TokensOf({SampleLine("LANGUAGE.TXT", "1.7E308")}),
            ", . 1 15 7E308 DIGITS NONE REAL X |*2 \xE2\x89\xA4");
  // Accented and Greek letters are word characters; signs such as "°", "±",
  // "²" and "½" are not, and "a-z" is folded but nothing else.
  EXPECT_EQ(TokensOf({SampleLine("Appendix.TXT", "\x8Fngstr\x94m")}),
            ",*4 . 0 25 5*2 ; AND C GAR\xC3\xA7ON R SE\xC3\xB1OR Z\xC3\xBCRICH \xC2\xB0 \xC2\xB0, "
            "\xC2\xB1 \xC2\xB2 \xC2\xB5S \xC2\xBD. \xC3\x85NGSTR\xC3\xB6M");
  // Code as a reference of another kind writes it: "=", ",", ":" and "/"
  // between words; "_" and "$" inside them; "~~" shown as "~".
  EXPECT_EQ(TokensOf({"MOV AH,4Ch ; x=a+b/2 : C:\\DOS", "LEFT$(s_1, 3) ~~x"}),
            "( ) + ,*2 / 2 3 4C : :\\ ; = A AH B C DOS LEFT$ MOV S_1 X*2 ~");
}

TEST(SearchTokens, HexNumbersAreIndexedBare) {
  EXPECT_EQ(TokensOf({"INT 21h, AH=4Ch, port 3F8h or 0x378; 10H 0ffh"}),
            ",*2 0FF 10 21 378 3F8 4C ; = AH INT OR PORT");
  // Not hex forms: no digit first, no hex digits, "h" alone, "0x" alone.
  EXPECT_EQ(TokensOf({"ah FFh 1Gh h 0x 0xZ1 12hh"}), "0X 0XZ1 12HH 1GH AH FFH H");
}

TEST(SearchIndex, PostingsSayWhichTopicsHoldATokenAndWhere) {
  SearchDataBuilder builder;
  Section(builder, "S");
  builder.BeginTopic("B0P0.htm");  // topic 0
  Name(builder, "INT 21,4C");
  Name(builder, "Terminate");
  Title(builder, "Terminate with a ~Return Code~");
  Line(builder, "AH = 4Ch, AL = return code; terminate");
  Line(builder, "int 21h");
  builder.BeginTopic("B0P1.htm");  // topic 1: text only
  Line(builder, "see INT 21,4C");
  builder.BeginTopic("B0P2.htm");  // topic 2: nothing
  builder.BeginTopic("B0P3.htm");  // topic 3: a title set twice
  Title(builder, "Return first");
  Title(builder, "Second code");
  Name(builder, "ret");
  Line(builder, "return");
  const Data data = Read(builder);
  EXPECT_EQ(builder.TokenCount(), data.tokens.size());
  const auto& index = data.index;
  auto at = [&index](const std::string& token) {
    const auto found = index.find(token);
    return found == index.end() ? Postings{} : found->second;
  };
  EXPECT_EQ(at("INT"), (Postings{{0, 1 + 4}, {1, 4}}));
  EXPECT_EQ(at("21"), (Postings{{0, 1 + 4}, {1, 4}}));
  EXPECT_EQ(at("4C"), (Postings{{0, 1 + 4}, {1, 4}}));
  EXPECT_EQ(at("TERMINATE"), (Postings{{0, 1 + 2 + 4}}));
  EXPECT_EQ(at("RETURN"), (Postings{{0, 2 + 4}, {3, 4}}));
  EXPECT_EQ(at("CODE"), (Postings{{0, 2 + 4}, {3, 2}}));
  // The first title's tokens count no more.
  EXPECT_EQ(at("FIRST"), Postings{});
  EXPECT_EQ(at("SECOND"), (Postings{{3, 2}}));
  EXPECT_EQ(at("RET"), (Postings{{3, 1}}));
  // Text tokens per topic, signs included: AH = 4C , AL = RETURN CODE ;
  // TERMINATE INT 21.
  EXPECT_EQ(data.lengths, (std::vector<unsigned long long>{12, 5, 0, 1}));
  // Sorted by UTF-8 bytes, which is the order of UTF-16 code units for the
  // characters of code page 437.
  EXPECT_TRUE(std::is_sorted(data.tokens.begin(), data.tokens.end()));
}

TEST(SearchIndex, ManyTopicsAndTokensComeBackIntact) {
  // Distances and uses of two and three characters, and a token in every
  // topic beside tokens in only a few.
  SearchDataBuilder builder;
  Section(builder, "S");
  std::map<std::string, Postings> expected;
  for (unsigned long long t = 0; t < 3000; ++t) {
    builder.BeginTopic(("B0P" + std::to_string(t) + ".htm").c_str());
    std::string rare = "R";
    rare += std::to_string(t % 700);
    std::string line = "every ";
    line += rare;
    for (unsigned long long i = 0; i < t % 90; ++i) line += " every";
    Line(builder, line);
    expected["EVERY"].emplace_back(t, 4 * (t % 90 + 1));
    expected[rare].emplace_back(t, 4);
  }
  const Data data = Read(builder);
  EXPECT_EQ(data.index, expected);
}

TEST(SearchDataMemory, RefusedAllocationsAreCountedAndLeaveNoBrokenState) {
  // Refuses the k-th allocation and every later one, for each k in turn,
  // until a run is refused nothing: then the data must be the full data.
  auto feed = [](SearchDataBuilder& builder) {
    Section(builder, "Section");
    for (int t = 0; t < 30; ++t) {
      builder.BeginTopic(("B0P" + std::to_string(t) + ".htm").c_str());
      Name(builder, "Name " + std::to_string(t));
      Title(builder, "Title of topic " + std::to_string(t));
      for (int w = 0; w < 30; ++w) {
        Line(builder, "word" + std::to_string(t * 31 + w) + " and the same words again");
      }
    }
  };
  SearchDataBuilder clean;
  feed(clean);
  TextString expected;
  clean.AppendScript(expected);

  bool complete = false;
  for (std::uint64_t allowed = 0; allowed < 100000 && !complete; ++allowed) {
    TextString script;
    std::uint64_t refused;
    {
      ScopedAllocationFailure failure(allowed);
      SearchDataBuilder builder;
      feed(builder);
      builder.AppendScript(script);
      refused = failure.Refused();
    }
    if (refused == 0) {
      EXPECT_EQ(std::string(script.CStr()), std::string(expected.CStr()));
      complete = true;
    }
  }
  EXPECT_TRUE(complete);
}

}  // namespace
}  // namespace marlix
