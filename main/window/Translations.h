#pragma once

class QCoreApplication;

namespace velnor {

// Qt's own texts (Yes/No, OK/Cancel, "Show Details...", the print and file
// dialogs) in Japanese: the users read Japanese whatever the machine's locale.
// A Japanese locale, or one for which Qt has no translation, gets Qt's
// Japanese catalogue; another locale with a catalogue of its own gets that
// one; VELNOR_LANG=en keeps Qt's English. Returns whether Japanese was loaded.
bool installQtTranslations(QCoreApplication& app);

} // namespace velnor
