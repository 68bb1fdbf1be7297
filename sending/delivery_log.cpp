#include "sending/delivery_log.h"

namespace korvel {

void DeliveryLogModel::Insert(LogEntry entry, int maxLineLog) {
  lines_.push_front(std::move(entry));
  if (static_cast<long long>(lines_.size()) > maxLineLog) lines_.pop_back();
}

}  // namespace korvel
