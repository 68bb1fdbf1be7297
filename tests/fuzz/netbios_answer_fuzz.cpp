// What comes back on UDP 137: name query answers and node status answers. The transaction id
// is taken from the packet itself, so that every input is read as an answer to our question.
#include <algorithm>
#include <cstdint>
#include <cstdlib>

#include "sending/name_service.h"
#include "sending/netbios.h"

using namespace korvel::wire;

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  const uint16_t id = size >= 2 ? static_cast<uint16_t>(data[0] << 8 | data[1]) : 0;

  static const NetbiosName kName = MakeNetbiosName("PC7", kMessengerSuffix);
  NameQueryAnswer answer = ParseNameQueryAnswer(data, size, id, kName);
  if (answer.kind == NameQueryAnswer::Kind::Positive &&
      (answer.addresses.empty() || 12 + 6 * answer.addresses.size() > size))
    std::abort();
  if (answer.kind != NameQueryAnswer::Kind::Positive && !answer.addresses.empty()) std::abort();

  if (auto names = ParseNodeStatusAnswer(data, size, id)) {
    if (12 + 1 + 18 * names->size() > size) std::abort();
    if (auto messenger = MessengerNameOf(*names)) {
      if (messenger->Suffix() != kMessengerSuffix) std::abort();
      // Only a unique name that is neither in conflict nor being given up is called, and never
      // the one the node has just refused.
      if (std::none_of(names->begin(), names->end(), [&](const NodeStatusEntry& e) {
            return e.name == *messenger && !e.group && !e.conflict && !e.deregistering;
          }))
        std::abort();
      if (MessengerNameOf(*names, messenger) == messenger) std::abort();
    }
  }

  if (auto name = DecodeName(data, size)) {
    std::vector<uint8_t> again;
    AppendEncodedName(again, *name);
    for (size_t i = 0; i + 1 < again.size(); ++i)
      if (again[i] != data[i]) std::abort();
  }
  return 0;
}
