#include "ui/naming/NewFileNameDialog.h"

#include "ui/common/Style.h"
#include "ui/common/Symbols.h"
#include "ui/common/WindowKeys.h"

#include <QDialogButtonBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QVBoxLayout>

namespace {

QString messageFor(NewFileNameDialog::Outcome outcome)
{
    switch (outcome) {
    case NewFileNameDialog::Outcome::taken:
        return NewFileNameDialog::tr("A file or folder with this name already exists here.");
    case NewFileNameDialog::Outcome::empty:
        return NewFileNameDialog::tr("Enter a name for the new file.");
    case NewFileNameDialog::Outcome::notOneComponent:
        return NewFileNameDialog::tr("A name cannot contain “/” or be “.” or “..”.");
    case NewFileNameDialog::Outcome::tooLong:
        return NewFileNameDialog::tr("This name is too long.");
    case NewFileNameDialog::Outcome::failed:
        return NewFileNameDialog::tr("The file could not be created here.");
    case NewFileNameDialog::Outcome::created:
        break;
    }
    return {};
}

} // namespace

NewFileNameDialog::NewFileNameDialog(const QString& templateName, const QString& suggestedName,
                                     qsizetype extensionLength, Attempt attempt, QWidget* parent)
    : QDialog(parent), m_attempt(std::move(attempt))
{
    setObjectName(QStringLiteral("newFileNameDialog"));
    setWindowTitle(tr("New %1").arg(templateName));
    WindowKeys::closeWithKeys(this);
    setWindowIcon(Symbols::applicationIcon());
    setFont(Style::font(font(), Style::body));

    auto* label = Style::label(tr("&Name:"), font(), QStringLiteral("nameLabel"), this);
    m_nameField = new QLineEdit(suggestedName, this);
    m_nameField->setObjectName(QStringLiteral("nameField"));
    m_nameField->setMinimumWidth(300);
    m_nameField->setSelection(0, std::max<qsizetype>(0, suggestedName.size() - extensionLength));
    label->setBuddy(m_nameField);

    m_message = Style::label(QString(), Style::font(font(), Style::caption), QStringLiteral("nameMessage"), this);
    m_message->setWordWrap(true);
    m_message->setMinimumHeight(QFontMetrics(m_message->font()).height());
    connect(m_nameField, &QLineEdit::textEdited, m_message, &QLabel::clear);

    auto* buttons = new QDialogButtonBox(this);
    QPushButton* create = buttons->addButton(tr("&Create"), QDialogButtonBox::AcceptRole);
    create->setObjectName(QStringLiteral("createButton"));
    create->setDefault(true);
    QPushButton* cancel = buttons->addButton(tr("Canc&el"), QDialogButtonBox::RejectRole);
    cancel->setObjectName(QStringLiteral("cancelButton"));
    m_cancelAll = buttons->addButton(tr("Cancel &All"), QDialogButtonBox::ResetRole);
    m_cancelAll->setObjectName(QStringLiteral("cancelAllButton"));
    m_cancelAll->setAutoDefault(false);
    m_cancelAll->hide();
    Style::giveTitleRoom(create, 80);
    Style::giveTitleRoom(cancel, 80);
    connect(m_cancelAll, &QPushButton::clicked, this, [this] {
        Q_EMIT cancelAllRequested();
        reject();
    });
    connect(buttons, &QDialogButtonBox::accepted, this, &NewFileNameDialog::create);
    connect(buttons, &QDialogButtonBox::rejected, this, &QDialog::reject);

    auto* field = new QVBoxLayout;
    field->setSpacing(4);
    field->addWidget(m_nameField);
    field->addWidget(m_message);
    auto* row = new QHBoxLayout;
    row->setSpacing(8);
    row->addWidget(label, 0, Qt::AlignTop | Qt::AlignLeft);
    row->addLayout(field, 1);
    auto* column = new QVBoxLayout(this);
    column->setContentsMargins(20, 20, 20, 16);
    column->setSpacing(12);
    column->addLayout(row);
    column->addWidget(buttons);
    column->setSizeConstraint(QLayout::SetFixedSize);
    // The label's text sits on the field's text line.
    label->setContentsMargins(0, (m_nameField->sizeHint().height() - label->sizeHint().height()) / 2, 0, 0);
}

QString NewFileNameDialog::message() const
{
    return m_message->text();
}

void NewFileNameDialog::setWaiting(qsizetype count)
{
    m_cancelAll->setVisible(count > 0);
    m_cancelAll->setToolTip(tr("Cancel this file and the %1 waiting after it").arg(count));
}

void NewFileNameDialog::create()
{
    const Outcome outcome = m_attempt(m_nameField->text());
    if (outcome == Outcome::created) {
        accept();
        return;
    }
    m_message->setText(messageFor(outcome));
    m_nameField->setFocus();
}
