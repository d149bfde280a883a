// File names and other user text as they appear in messages: quoted, with
// every byte that a terminal could take as a command shown as an escape, so
// that one message stays one line and cannot move the cursor or recolour it.
#pragma once

#include <string>

// 'name' with \ and ' escaped; control characters (C0, DEL, C1) and bytes
// that are not UTF-8 escaped as \n, \t, \r or \xNN. Printable UTF-8, accented
// letters included, stays as it is.
std::string quotedName(const std::string& name);
