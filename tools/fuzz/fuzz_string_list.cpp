// StringUtils::parseStringList against Qt's own split and trim. The first
// byte gives the separator's length in bytes (0 to 7), those bytes the
// separator, and the rest the text.
#include "FuzzSupport.h"
#include "StringUtils.h"

#include <QStringList>

namespace {

constexpr size_t MaxSeparatorBytes = 7;

// QString::trimmed strips exactly the units the list's trim promises: tab,
// U+000A..U+000D, U+0085 and the Unicode separators.
QStringList expectedPieces(const QString &text, const QString &separator)
{
    const QStringList parts = separator.isEmpty() ? QStringList{text} : text.split(separator);
    QStringList pieces;
    for (const QString &part : parts) {
        if (const QString trimmed = part.trimmed(); !trimmed.isEmpty())
            pieces.append(trimmed);
    }
    return pieces;
}

void checkPieces(const QStringList &pieces, const QString &text, const QString &separator)
{
    for (const QString &piece : pieces) {
        require(!piece.isEmpty(), "no empty piece");
        require(!piece.front().isSpace() && !piece.back().isSpace(), "pieces are trimmed");
        require(separator.isEmpty() || !piece.contains(separator), "no piece holds the separator");
        require(text.contains(piece), "each piece comes from the text");
    }
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    if (size == 0)
        return 0;
    const size_t separatorBytes = std::min<size_t>(data[0] % (MaxSeparatorBytes + 1), size - 1);
    const QString separator = fuzzText(data + 1, separatorBytes);
    const QString text = fuzzText(data + 1 + separatorBytes, size - 1 - separatorBytes);

    const QStringList pieces = StringUtils::parseStringList(text, separator);
    checkPieces(pieces, text, separator);
    require(pieces == expectedPieces(text, separator), "pieces are those of split and trim");
    return 0;
}
