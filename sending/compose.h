// What the compose commands decide without a window: the sender history and the message
// text made of the text box's lines.
#pragma once

#include <string>
#include <vector>

namespace korvel {

// Whether two sender names are the same: Latin letters compared without case, every
// other character exactly (Cyrillic letters must match in case).
bool SameSenderName(const std::string& a, const std::string& b);

// Puts `sender` at the top of `history`: an entry that is the same name moves up as it is
// stored, otherwise `sender` itself goes in, even when empty. Then, with more than
// `maxSender` entries, the last one goes (one only). Returns the top entry as it stood
// before that trimming: the sender the job uses and the sender box shows.
std::string AddToSenderList(std::vector<std::string>& history, const std::string& sender,
                            int maxSender);

// The message from the lines the text box reports (wrapped lines each count): joined
// with CR LF; an empty last line is not counted, so a text ending with Enter has no CR LF
// at its end.
std::string MessageFromLines(const std::vector<std::string>& lines);

}  // namespace korvel
