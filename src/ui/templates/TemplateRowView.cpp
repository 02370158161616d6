#include "ui/templates/TemplateRowView.h"

#include "store/TemplateManager.h"
#include "store/TemplateStore.h"
#include "ui/common/Style.h"

#include <QCheckBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QVBoxLayout>

TemplateRowView::TemplateRowView(TemplateManager& manager, const FileTemplate& fileTemplate, QWidget* parent)
    : QWidget(parent), m_manager(manager), m_template(fileTemplate), m_toggle(new QCheckBox(this)),
      m_name(Style::label(fileTemplate.name, Style::font(font(), Style::body), QStringLiteral("rowName"), this)),
      m_extension(Style::secondaryLabel(QLatin1Char('.') + fileTemplate.fileExtension,
                                        Style::font(font(), Style::caption2), QStringLiteral("rowExtension"), this))
{
    setObjectName(QStringLiteral("templateRow"));
    m_toggle->setObjectName(QStringLiteral("enabledToggle"));
    // The switch has no visible label; the name speaks for it.
    m_toggle->setAccessibleName(fileTemplate.name);
    // The list keeps the keyboard focus (Space switches the current row), so a click on a switch does not take it.
    m_toggle->setFocusPolicy(Qt::NoFocus);
    connect(m_toggle, &QCheckBox::clicked, this, &TemplateRowView::setOn);

    // Long names are cut short with an ellipsis rather than widening the list.
    for (QLabel* label : {m_name, m_extension})
        label->setSizePolicy(QSizePolicy::Ignored, QSizePolicy::Preferred);

    auto* texts = new QVBoxLayout;
    texts->setSpacing(1);
    texts->addWidget(m_name);
    texts->addWidget(m_extension);

    auto* row = new QHBoxLayout(this);
    row->setContentsMargins(10, 3, 8, 3);
    row->setSpacing(8);
    row->addWidget(m_toggle, 0, Qt::AlignVCenter);
    row->addLayout(texts, 1);

    refresh();
}

bool TemplateRowView::isOn() const
{
    if (!m_template.isBuiltIn)
        return true;
    return m_manager.store().enabledBuiltIns().contains(m_template.idText());
}

void TemplateRowView::setOn(bool on)
{
    TemplateStore& store = m_manager.store();
    QSet<QString> enabled = store.enabledBuiltIns();
    if (on)
        enabled.insert(m_template.idText());
    else
        enabled.remove(m_template.idText());
    store.setEnabledBuiltIns(enabled);
    m_manager.announceChange();
    refresh();
}

void TemplateRowView::refresh()
{
    m_toggle->setChecked(isOn());
}

void TemplateRowView::setSelected(bool selected)
{
    m_name->setForegroundRole(selected ? QPalette::HighlightedText : QPalette::WindowText);
    m_extension->setForegroundRole(selected ? QPalette::HighlightedText : QPalette::PlaceholderText);
}

void TemplateRowView::resizeEvent(QResizeEvent* event)
{
    QWidget::resizeEvent(event);
    elideName();
}

void TemplateRowView::elideName()
{
    const QString shown = m_name->fontMetrics().elidedText(m_template.name, Qt::ElideRight, m_name->width());
    m_name->setText(shown);
    m_name->setToolTip(shown == m_template.name ? QString() : m_template.name);
}
