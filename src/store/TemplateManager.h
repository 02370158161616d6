#pragma once

#include "model/FileTemplate.h"

#include <QList>
#include <QObject>

class TemplateStore;

// The model the views bind to: a copy of the store's custom templates, refreshed on the turn of the
// event loop after each store change, and the views' way to the store. It holds nothing else.
class TemplateManager : public QObject {
    Q_OBJECT

public:
    explicit TemplateManager(TemplateStore& store, QObject* parent = nullptr);

    // The process's one manager, over TemplateStore::shared(); never destroyed.
    static TemplateManager& shared();

    const QList<FileTemplate>& customTemplates() const { return m_customTemplates; }
    TemplateStore& store() const { return m_store; }

    // For a change of stored state that the manager does not mirror (a built-in switched on or off,
    // a folder granted): the views bound to the manager show it too.
    void announceChange();

Q_SIGNALS:
    // Fired before every change of customTemplates, once more after each refresh, and on announceChange().
    void objectWillChange();
    void customTemplatesChanged();

private:
    void refresh();
    void setCustomTemplates(const QList<FileTemplate>& templates);

    TemplateStore& m_store;
    QList<FileTemplate> m_customTemplates;
};
