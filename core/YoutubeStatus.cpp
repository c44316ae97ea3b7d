#include "YoutubeStatus.h"

using namespace Qt::Literals::StringLiterals;

QString youtubeStatusName(YoutubeStatus status)
{
    switch (status) {
    case StatusNew: return u"new"_s;
    case StatusLoadingInfo: return u"loading"_s;
    case StatusReady: return u"ready"_s;
    case StatusInvalid: return u"invalid"_s;
    case StatusNoStream: return u"no-stream"_s;
    case StatusInfoFailed: return u"info-failed"_s;
    case StatusDownloading: return u"downloading"_s;
    case StatusDownloadPaused: return u"download-paused"_s;
    case StatusConverting: return u"converting"_s;
    case StatusConvertPaused: return u"convert-paused"_s;
    case StatusDownloaded: return u"downloaded"_s;
    case StatusFinished: return u"finished"_s;
    case StatusRemoved: return u"removed"_s;
    }
    return QString::number(status);
}

bool isPageFailure(YoutubeStatus status)
{
    return status == StatusInfoFailed || status == StatusNoStream;
}

std::optional<YoutubeStatus> youtubeStatusFromName(QStringView name)
{
    for (qint32 status = StatusNew; status <= StatusRemoved; ++status) {
        if (youtubeStatusName(YoutubeStatus(status)) == name)
            return YoutubeStatus(status);
    }
    return std::nullopt;
}
