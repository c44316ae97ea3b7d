#pragma once

#include "SourceReader.h"

// A file the user already has: its own tags give title, comment and cover,
// and it converts from where it is, without a download. It is only ever
// read.
class LocalFileReader final : public SourceReader
{
public:
    SourceKind kind() const override { return SourceKind::LocalFile; }
    Reading read(HttpClient &client, const QString &path, const CancelCheck &cancelled) const override;
    bool downloads() const override { return false; }
};
