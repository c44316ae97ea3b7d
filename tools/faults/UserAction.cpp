#include "UserAction.h"

#include "NamedEntries.h"

using namespace Qt::Literals::StringLiterals;

const QList<UserAction> &UserAction::all()
{
    static const QList<UserAction> actions{
        {None, u"none"_s, u"nothing: the item is left to end by itself"_s},
        {Pause, u"pause"_s, u"Pause in the middle of the download (or at its first retry), then nothing"_s},
        {PauseResume, u"pause-resume"_s, u"Pause there, Resume half a second later"_s},
        {Remove, u"remove"_s, u"Remove there"_s},
        {RemovePaused, u"remove-paused"_s, u"Pause there, Remove half a second later"_s},
    };
    return actions;
}

const UserAction *UserAction::find(const QString &name)
{
    return NamedEntries::find(all(), name);
}
