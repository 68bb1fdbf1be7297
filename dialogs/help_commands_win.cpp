#include "dialogs/help_commands_win.h"

namespace korvel {

// The help commands are built on top of this class; until then they do nothing.
void THelpCommands::actAboutExecute() {}
void THelpCommands::actHomeExecute() {}
void THelpCommands::actMailExecute() {}
void THelpCommands::actHelpExecute() {}
void THelpCommands::actFAQExecute() {}
void THelpCommands::actWhatNewExecute() {}

}  // namespace korvel
