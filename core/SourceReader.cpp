#include "SourceReader.h"

#include "DirectLinkReader.h"
#include "LocalFileReader.h"
#include "PageReader.h"
#include "WatchPageReader.h"

std::unique_ptr<SourceReader> SourceReader::create(SourceKind kind, const YoutubeProgramPreferences &preferences)
{
    switch (kind) {
    case SourceKind::WatchPage: return std::make_unique<WatchPageReader>(preferences);
    case SourceKind::PageReader: return std::make_unique<PageReader>(preferences);
    case SourceKind::DirectLink: return std::make_unique<DirectLinkReader>();
    case SourceKind::LocalFile: return std::make_unique<LocalFileReader>();
    }
    return nullptr;
}
