#include "store/TemplateManager.h"

#include "store/TemplateStore.h"

TemplateManager::TemplateManager(TemplateStore& store, QObject* parent)
    : QObject(parent), m_store(store), m_customTemplates(store.customTemplates())
{
    // Queued: the copy never changes inside the store operation that caused it, and a manager that
    // is gone by then is simply not called.
    connect(&m_store, &TemplateStore::didChange, this, &TemplateManager::refresh, Qt::QueuedConnection);
}

TemplateManager& TemplateManager::shared()
{
    static TemplateManager* const instance = new TemplateManager(TemplateStore::shared());
    return *instance;
}

void TemplateManager::announceChange()
{
    Q_EMIT objectWillChange();
}

void TemplateManager::refresh()
{
    setCustomTemplates(m_store.customTemplates());
    Q_EMIT objectWillChange();
}

void TemplateManager::setCustomTemplates(const QList<FileTemplate>& templates)
{
    Q_EMIT objectWillChange();
    m_customTemplates = templates;
    Q_EMIT customTemplatesChanged();
}
