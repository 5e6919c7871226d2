#pragma once

// Qt's own Japanese texts for its standard dialogs (the colour and file
// dialogs, their buttons), so that they speak the program's language. Read
// from Qt's translations folder, or from the "translations" folder beside the
// program, where a deployed copy carries them. False when none was found: the
// dialogs then stay in English.
bool InstallQtTranslations();
