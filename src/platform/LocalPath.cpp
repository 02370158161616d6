#include "platform/LocalPath.h"

#include <climits>
#include <cstdlib>
#include <sys/stat.h>
#include <unistd.h>

namespace {

// The length of the well-formed UTF-8 sequence at `at`, or 0 when none starts there: the shortest
// form only, no encoded surrogate, nothing above U+10FFFF, nothing cut short.
qsizetype sequenceLength(const QByteArray& bytes, qsizetype at)
{
    const auto byte = [&](qsizetype i) {
        return at + i < bytes.size() ? uchar(bytes.at(at + i)) : uchar(0);
    };
    const uchar lead = byte(0);
    if (lead < 0x80)
        return 1;
    // The lead byte fixes the length and the range of the second byte; the others are any
    // continuation byte.
    qsizetype length = 0;
    uchar low = 0x80, high = 0xBF;
    if (lead >= 0xC2 && lead <= 0xDF) {
        length = 2;
    } else if (lead >= 0xE0 && lead <= 0xEF) {
        length = 3;
        low = lead == 0xE0 ? 0xA0 : low;
        high = lead == 0xED ? 0x9F : high;
    } else if (lead >= 0xF0 && lead <= 0xF4) {
        length = 4;
        low = lead == 0xF0 ? 0x90 : low;
        high = lead == 0xF4 ? 0x8F : high;
    } else {
        return 0;
    }
    if (byte(1) < low || byte(1) > high)
        return 0;
    for (qsizetype i = 2; i < length; ++i) {
        if ((byte(i) & 0xC0) != 0x80)
            return 0;
    }
    return length;
}

constexpr char16_t escapeBase = 0xDC00;

} // namespace

namespace LocalPath {

QString fromBytes(const QByteArray& bytes)
{
    QString text;
    text.reserve(bytes.size());
    for (qsizetype at = 0; at < bytes.size();) {
        const uchar lead = uchar(bytes.at(at));
        const qsizetype length = sequenceLength(bytes, at);
        if (length == 0) {
            text += QChar(char16_t(escapeBase + lead));
            ++at;
            continue;
        }
        // Decoded here: Qt's decoder drops a byte order mark at the start of what it is given.
        char32_t point = length == 1 ? lead : lead & (0x7F >> length);
        for (qsizetype i = 1; i < length; ++i)
            point = point << 6 | (uchar(bytes.at(at + i)) & 0x3F);
        text += QStringView(QChar::fromUcs4(point));
        at += length;
    }
    return text;
}

QByteArray toBytes(const QString& path)
{
    QByteArray bytes;
    qsizetype plainFrom = 0;
    for (qsizetype at = 0; at < path.size(); ++at) {
        const char16_t c = path.at(at).unicode();
        if (QChar::isHighSurrogate(c) && at + 1 < path.size() && QChar::isLowSurrogate(path.at(at + 1).unicode())) {
            ++at;
            continue;
        }
        if (c != 0 && !QChar::isSurrogate(c))
            continue;
        // Left: a NUL, an unpaired high surrogate, or a lone low one, which stands for a byte only
        // from 0x80 up (fromBytes never escapes a byte below that).
        if (c < escapeBase + 0x80 || c > escapeBase + 0xFF)
            return {};
        bytes += QStringView(path).sliced(plainFrom, at - plainFrom).toUtf8();
        bytes += char(c - escapeBase);
        plainFrom = at + 1;
    }
    return bytes + QStringView(path).sliced(plainFrom).toUtf8();
}

QString fileUri(const QString& path)
{
    const QByteArray bytes = toBytes(path);
    return bytes.startsWith('/') ? QStringLiteral("file://") + QString::fromLatin1(bytes.toPercentEncoding("/"))
                                 : QString();
}

Kind kind(const QString& path)
{
    const QByteArray bytes = toBytes(path);
    struct stat status {};
    if (bytes.isEmpty() || ::stat(bytes.constData(), &status) != 0)
        return Kind::missing;
    if (S_ISDIR(status.st_mode))
        return Kind::folder;
    return S_ISREG(status.st_mode) ? Kind::regularFile : Kind::other;
}

QString currentFolder()
{
    char buffer[PATH_MAX];
    return ::getcwd(buffer, sizeof buffer) && buffer[0] == '/' ? fromBytes(buffer) : QString();
}

QString resolved(const QString& path)
{
    const QByteArray bytes = toBytes(path);
    char buffer[PATH_MAX];
    return !bytes.isEmpty() && ::realpath(bytes.constData(), buffer) ? fromBytes(buffer) : QString();
}

} // namespace LocalPath
