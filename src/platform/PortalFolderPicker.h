#pragma once

#include "platform/FolderPicker.h"

#include <QDBusConnection>
#include <QList>
#include <QObject>
#include <QVariantMap>

// The desktop's own folder chooser, through the freedesktop portal on the session bus. Whether the
// portal is there is asked once, without waiting, at the first request; requests made before the
// answer wait for it (at most a few seconds). A program that never picks a folder never starts a
// portal. Without a portal, or when it refuses a request, `fallback` picks instead.
// A request whose portal leaves the bus before answering is answered as cancelled.
class PortalFolderPicker final : public QObject, public FolderPicker {
    Q_OBJECT

public:
    explicit PortalFolderPicker(FolderPicker& fallback, const QDBusConnection& bus = QDBusConnection::sessionBus(),
                                QObject* parent = nullptr);
    ~PortalFolderPicker() override;

    void pickFolder(const Request& request, QWidget* parent, Completion done) override;

private:
    enum class Portal { Unknown, Present, Absent };
    struct Pending;

    void findPortal();
    void portalFound(bool present);
    void ask(const Request& request, QWidget* parent, Completion done);
    void answer(const QString& handle, const std::optional<QString>& folder);
    void followHandle(Pending& pending, const QString& handle);

private Q_SLOTS:
    void responded(uint response, const QVariantMap& results, const QDBusMessage& message);
    void portalLeft();

private:
    FolderPicker& m_fallback;
    QDBusConnection m_bus;
    Portal m_portal = Portal::Unknown;
    QList<Pending*> m_waiting; // requests made before the portal was found or not
    QList<Pending*> m_pending; // requests the portal is showing
    quint64 m_nextToken = 0;
};
