// The version and licence line that every front end shows for --version, and
// the author's home page.
#pragma once

#ifndef MARLIX_VERSION
#define MARLIX_VERSION "unknown"
#endif

namespace marlix {

constexpr char kProgramVersion[] = MARLIX_VERSION;
// The home page of the tool's author: the credit line of the contents page
// and the About box link to it.
constexpr char kAuthorHomePage[] = "http://dorranvell.example/";
constexpr char kLicenceLine[] =
    "MIT License, Copyright (c) 2026 the Marlix to HTML authors; see the file LICENSE.";

}  // namespace marlix
