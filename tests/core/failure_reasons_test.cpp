// The tips of failed log lines: every code the transports give has words of its own, and
// each tip names its code.
#include "sending/failure_reasons.h"

#include <gtest/gtest.h>

#include "sending/wire_status.h"

using namespace korvel;

TEST(FailureReasons, EveryCodeTheClientGivesIsExplainedAndNamed) {
  using namespace korvel::wire;
  // The own client's codes, a refused thread (8), what a receiver's DOS errors and the
  // system's messenger or the Remote Desktop message give.
  const NetStatus codes[] = {kStatusNoMemory,
                             kStatusRemoteNotListening,
                             kStatusRequestNotAccepted,
                             kStatusBadNetResponse,
                             kStatusInvalidParameter,
                             kStatusTextTooLong,
                             kStatusInvalidName,
                             kStatusReceiverBusy,
                             kStatusConnectionRefused,
                             kStatusHostUnreachable,
                             kStatusNoWorkgroup,
                             kStatusTimeout,
                             kStatusNetworkError,
                             kStatusNameNotFound,
                             kStatusDuplicateName,
                             5,
                             50,
                             53,
                             64,
                             121,
                             1722,
                             10060,
                             10061};
  for (NetStatus code : codes) {
    SCOPED_TRACE(code);
    EXPECT_TRUE(FailureReasonKnown(code));
    const std::u16string tip = FailureReason(code);
    const std::string digits = std::to_string(code);
    EXPECT_EQ(tip.rfind(u"Ошибка " + std::u16string(digits.begin(), digits.end()) + u": ", 0), 0u);
    EXPECT_GT(tip.size(), 30u);
  }
  EXPECT_NE(FailureReason(kStatusNameNotFound), FailureReason(kStatusTimeout));
  EXPECT_NE(FailureReason(kStatusTextTooLong).find(u"слишком длинный"), std::u16string::npos);

  // A code nobody here gives still shows its number.
  EXPECT_FALSE(FailureReasonKnown(4294967295u));
  EXPECT_EQ(FailureReason(4294967295u), u"Ошибка 4294967295: сообщение не отправлено.");
}
