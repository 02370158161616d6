#include "model/HorizontalSpace.h"

namespace HorizontalSpace {

namespace {

bool isHorizontalSpace(QChar c)
{
    return c.category() == QChar::Separator_Space || c == QLatin1Char('\t');
}

} // namespace

std::pair<qsizetype, qsizetype> trimmedRange(const QString& text)
{
    qsizetype start = 0;
    qsizetype end = text.size();
    while (start < end && isHorizontalSpace(text.at(start)))
        ++start;
    while (end > start && isHorizontalSpace(text.at(end - 1)))
        --end;
    return {start, end};
}

QString trimmed(const QString& text)
{
    const auto [start, end] = trimmedRange(text);
    return text.mid(start, end - start);
}

} // namespace HorizontalSpace
