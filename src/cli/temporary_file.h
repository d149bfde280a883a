// The file that an output is written into before it takes the output's
// place in one rename.
#pragma once

#include <cstdio>
#include <string>

// Creates a new file beside `path`, in the same folder (a rename stays
// within one file system), under a name no other run shares: it is made
// exclusively, so it never opens an existing file nor follows a link planted
// at its name. Its permissions are those a new file gets under the umask
// that the program started with. Returns the file open for writing, with its
// name in `temporaryPath`, or null with errno set (ENAMETOOLONG when the
// output's name is longer than its folder takes).
FILE* createTemporaryBeside(const std::string& path, std::string& temporaryPath);
