// The version and licence line that every front end shows for --version.
#pragma once

#ifndef MARLIX_VERSION
#define MARLIX_VERSION "unknown"
#endif

namespace marlix {

constexpr char kProgramVersion[] = MARLIX_VERSION;
constexpr char kLicenceLine[] =
    "MIT License, Copyright (c) 2026 the Marlix to HTML authors; see the file LICENSE.";

}  // namespace marlix
