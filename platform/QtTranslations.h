#pragma once

// Qt's own texts (standard buttons, the date and print dialogs, the print preview) in Brazilian
// Portuguese, as the rest of the program speaks: Qt's translations installed with the system
// (Debian's qt6-translations-l10n). Numbers and dates still follow the workstation's locale.
namespace QtTranslations {

// Installs the translations into the running application once; false when they are not installed
// on this machine (Qt's texts then stay in English).
bool install();

}
