#include "store/TemplateStore.h"

#include "model/BuiltInTemplates.h"
#include "platform/Log.h"

#include <QJsonArray>

#include <algorithm>

namespace Keys {
const QString customTemplates = QStringLiteral("customTemplates");
const QString enabledBuiltIns = QStringLiteral("enabledBuiltIns");
const QString defaultBaseName = QStringLiteral("defaultBaseName");
const QString askForFileName = QStringLiteral("askForFileName");
const QString homeFolderBookmark = QStringLiteral("homeFolderBookmark");
const QString bookmarkLastError = QStringLiteral("bookmarkLastError");
} // namespace Keys

TemplateStore::TemplateStore(DomainOpener openDomain, const Bookmark& bookmarks, QObject* parent)
    : QObject(parent), m_openDomain(std::move(openDomain)), m_bookmarks(bookmarks)
{
    load();
}

TemplateStore& TemplateStore::shared()
{
    // Deliberately leaked: the store must outlive every view and the event loop, and a QObject
    // destroyed during static destruction would outlive the application object it belongs to.
    static TemplateStore* const instance = new TemplateStore();
    return *instance;
}

QList<FileTemplate> TemplateStore::storedTemplates(const SettingsSnapshot& snapshot)
{
    const std::optional<QByteArray> bytes = snapshot.data(Keys::customTemplates);
    const std::optional<FileTemplate::DecodedList> decoded = bytes ? FileTemplate::decodeList(*bytes) : std::nullopt;
    return decoded ? decoded->templates : QList<FileTemplate>();
}

QSet<QString> TemplateStore::enabledSet(const SettingsSnapshot& snapshot)
{
    const std::optional<QJsonArray> stored = snapshot.array(Keys::enabledBuiltIns);
    if (stored) {
        QSet<QString> result;
        bool allTexts = true;
        for (const QJsonValue& element : *stored) {
            if (!element.isString()) {
                allTexts = false;
                break;
            }
            result.insert(element.toString());
        }
        if (allTexts)
            return result;
    }
    QSet<QString> all;
    for (const FileTemplate& t : builtInTemplates())
        all.insert(t.idText());
    return all;
}

void TemplateStore::load()
{
    m_customTemplates = storedTemplates(domain().read());
}

SettingsDomain::WriteResult TemplateStore::save()
{
    // Records that this version cannot read may be another's, or the user's to mend by hand.
    const auto undecodable = [](const QJsonValue& stored) {
        const std::optional<QByteArray> bytes =
            SettingsSnapshot({{Keys::customTemplates, stored}}).data(Keys::customTemplates);
        const std::optional<FileTemplate::DecodedList> decoded =
            bytes ? FileTemplate::decodeList(*bytes) : std::nullopt;
        return !decoded || decoded->undecodable > 0;
    };
    const SettingsDomain::WriteResult result =
        domain().setData(Keys::customTemplates, FileTemplate::encodeList(m_customTemplates), undecodable);
    if (!result)
        load();
    Q_EMIT didChange();
    return result;
}

QList<FileTemplate> TemplateStore::enabledTemplates()
{
    // One read serves both keys, so the list is a consistent picture of the domain at one moment
    // even while another program writes it.
    const SettingsSnapshot snapshot = domain().read();
    m_customTemplates = storedTemplates(snapshot);
    const QSet<QString> enabled = enabledSet(snapshot);

    QList<FileTemplate> result;
    result.reserve(builtInTemplates().size() + m_customTemplates.size());
    const auto offer = [&](const FileTemplate& t) {
        if (!t.isBuiltIn || enabled.contains(t.idText()))
            result.append(t);
    };
    std::for_each(builtInTemplates().begin(), builtInTemplates().end(), offer);
    std::for_each(m_customTemplates.begin(), m_customTemplates.end(), offer);
    return result;
}

void TemplateStore::updateTemplate(const FileTemplate& changed)
{
    const auto it = std::find_if(m_customTemplates.begin(), m_customTemplates.end(),
                                 [&](const FileTemplate& t) { return t.id == changed.id; });
    if (it == m_customTemplates.end())
        return;
    *it = changed;
    save();
}

QList<qsizetype> TemplateStore::validPositions(const QList<qsizetype>& positions) const
{
    QList<qsizetype> result;
    for (const qsizetype p : positions) {
        if (p >= 0 && p < m_customTemplates.size())
            result.append(p);
    }
    std::sort(result.begin(), result.end());
    result.erase(std::unique(result.begin(), result.end()), result.end());
    return result;
}

void TemplateStore::deleteTemplates(const QList<qsizetype>& positions)
{
    const QList<qsizetype> valid = validPositions(positions);
    for (auto it = valid.rbegin(); it != valid.rend(); ++it)
        m_customTemplates.removeAt(*it);
    save();
}

void TemplateStore::moveTemplates(const QList<qsizetype>& positions, qsizetype destination)
{
    const QList<qsizetype> valid = validPositions(positions);
    QList<FileTemplate> moving;
    moving.reserve(valid.size());
    for (const qsizetype p : valid)
        moving.append(m_customTemplates.at(p));
    for (auto it = valid.rbegin(); it != valid.rend(); ++it)
        m_customTemplates.removeAt(*it);

    const auto before = std::count_if(valid.begin(), valid.end(), [&](qsizetype p) { return p < destination; });
    const qsizetype insertion = std::clamp<qsizetype>(destination - before, 0, m_customTemplates.size());
    for (qsizetype i = 0; i < moving.size(); ++i)
        m_customTemplates.insert(insertion + i, moving.at(i));
    save();
}

QSet<QString> TemplateStore::enabledBuiltIns() const
{
    return enabledSet(domain().read());
}

void TemplateStore::setEnabledBuiltIns(const QSet<QString>& ids)
{
    QStringList texts(ids.begin(), ids.end());
    texts.sort(); // order carries no meaning; sorted keeps the file stable between writes
    domain().setArray(Keys::enabledBuiltIns, texts);
    Q_EMIT didChange();
}

QString TemplateStore::defaultBaseName() const
{
    return domain().text(Keys::defaultBaseName).value_or(QStringLiteral("Untitled"));
}

void TemplateStore::setDefaultBaseName(const QString& name)
{
    domain().setText(Keys::defaultBaseName, name);
}

bool TemplateStore::asksForFileName() const
{
    return domain().flag(Keys::askForFileName).value_or(false);
}

void TemplateStore::setAsksForFileName(bool ask)
{
    domain().setFlag(Keys::askForFileName, ask);
}

bool TemplateStore::saveHomeFolderBookmark(const QUrl& folder)
{
    QString error;
    const std::optional<QByteArray> data =
        m_bookmarks.make(folder.isLocalFile() ? folder.toLocalFile() : folder.toString(), &error);
    SettingsDomain settings = domain();
    if (!data) {
        Log::line(QStringLiteral("[QNT] bookmark save FAILED: %1").arg(error));
        settings.setText(Keys::bookmarkLastError, QStringLiteral("ERROR: ") + error);
        return false;
    }
    return bool(settings.setData(Keys::homeFolderBookmark, *data));
}

bool TemplateStore::hasHomeFolderBookmark() const
{
    return domain().data(Keys::homeFolderBookmark).has_value();
}

std::optional<QUrl> TemplateStore::resolveHomeFolderURL(bool logFailure)
{
    const std::optional<QByteArray> data = domain().data(Keys::homeFolderBookmark);
    if (!data) {
        if (logFailure)
            Log::line(QStringLiteral("[QNT] resolveHomeFolderURL: no bookmark data in UserDefaults"));
        return std::nullopt;
    }
    QString error;
    const std::optional<Bookmark::Resolved> resolved = m_bookmarks.resolve(*data, &error);
    if (!resolved) {
        if (logFailure)
            Log::line(QStringLiteral("[QNT] resolveHomeFolderURL: resolution FAILED: %1").arg(error));
        return std::nullopt;
    }
    const QUrl location = QUrl::fromLocalFile(resolved->path);
    // A failed renewal has logged why (the bookmark could not be made, or the settings not written).
    if (resolved->isStale && saveHomeFolderBookmark(location))
        Log::line(QStringLiteral("[QNT] resolveHomeFolderURL: renewed stale bookmark for %1").arg(resolved->path));
    return location;
}
