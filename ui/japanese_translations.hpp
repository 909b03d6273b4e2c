#pragma once
// Qt's own texts in Japanese: the buttons and captions of the file dialog and the message
// boxes (開く, キャンセル, ...) come from Qt's translations (Debian's qt6-translations-l10n),
// which both windows load whatever the user's locale, as every other text of theirs is
// Japanese.

class QCoreApplication;

namespace accprep {

// Installs Qt's Japanese translations into `application`. False when they are not installed;
// the standard dialogs then stay in English and nothing else changes.
bool LoadJapaneseTranslations(QCoreApplication& application);

}  // namespace accprep
