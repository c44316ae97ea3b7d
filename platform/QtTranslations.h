#pragma once

// Qt's own texts in the user's language: key names in shortcuts ("Strg+N"),
// standard buttons and dialogs, and the network layer's reasons that rows
// quote in their notes. They come from Qt's translation files
// (qt6-translations-l10n on Debian); without them those texts stay English
// inside a German window.
class QtTranslations final
{
public:
    QtTranslations() = delete;

    // Installs them on the running application, for the language of the
    // program's own tables; later calls do nothing. Call it before Qt's
    // texts are made: Qt translates a text when it makes it, so a reason
    // already in a note, or a dialog already built, stays English.
    static void install();
};
