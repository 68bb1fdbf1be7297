// The delivery log's lines, newest first, at most MaxLineLog of them. The list on the
// screen shows this model; it holds no copy of its own.
#pragma once

#include <cstddef>
#include <deque>

#include "sending/send_job.h"

namespace korvel {

class DeliveryLogModel {
 public:
  // Puts `entry` at the top; when that makes more than `maxLineLog` lines, the oldest
  // one goes (one per insertion). With a limit of 0 or less the log stays empty.
  void Insert(LogEntry entry, int maxLineLog);
  void Clear() { lines_.clear(); }
  size_t Count() const { return lines_.size(); }
  // Line `row`, 0 being the newest.
  const LogEntry& At(size_t row) const { return lines_[row]; }

 private:
  std::deque<LogEntry> lines_;
};

}  // namespace korvel
