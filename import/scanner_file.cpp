// Reading the scanner's address files into the address tree.
#include "import/scanner_file.h"

#include "base/string_table.h"

namespace korvel {

NodeKinds ScannerKind(int number) {
  const int kind = number == 0 || number == 8 ? kGroupNode : kComputerNode;
  // Once in the address book a node is saved as what it became.
  return {kind, kind};
}

TreeFileResult ParseScannerText(std::string_view text, AddressTree& tree) {
  return ParseTreeText(text, tree, ScannerKind, NegativeDepth::Invalid);
}

TreeFileResult ImportScannerFile(const std::string& fileName, AddressTree& tree) {
  return TreeLoadFromFile(fileName, tree, ScannerKind, NegativeDepth::Invalid);
}

std::string ScannerAddressFolder(std::string_view scannerFolder) {
  return std::string(scannerFolder) + LoadStr(IDS_IPADDRESSES_FOLDER);
}

}  // namespace korvel
