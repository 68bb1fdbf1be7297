// The scanner's address files (*.cmp): the scanner keeps the addresses it found there, in
// the recipient file's line layout (level, kind, text) and with its placement rules. Read
// only: the program never writes them.
#pragma once

#include <string>
#include <string_view>

#include "addressbook/address_tree.h"
#include "addressbook/recipient_file.h"

namespace korvel {

// The scanner's kinds 0 and 8 are groups; whatever else it records is a computer.
NodeKinds ScannerKind(int number);

// Appends the entries of `text` after the tree's existing nodes, its top-level entries
// becoming top-level nodes. A bad number or a negative level stops with Failed "Invalid
// numeric input"; the nodes placed before it stay. Blanks after the last entry add nothing.
TreeFileResult ParseScannerText(std::string_view text, AddressTree& tree);

// The same for the file `fileName` (a UTF-8 path): NotFound when it does not exist (the tree
// is unchanged), Failed with the system's text when it cannot be read.
TreeFileResult ImportScannerFile(const std::string& fileName, AddressTree& tree);

// The folder the scanner keeps its address files in: its installation folder followed by
// "\IpAddresses\", appended as it is (the registry value is taken as written).
std::string ScannerAddressFolder(std::string_view scannerFolder);

}  // namespace korvel
