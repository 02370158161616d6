#include "ui/templates/ImportConsentDialog.h"

#include "ui/common/Style.h"
#include "ui/common/Symbols.h"
#include "ui/common/WindowKeys.h"

#include <QDialogButtonBox>
#include <QFileInfo>
#include <QFormLayout>
#include <QLabel>
#include <QLocale>
#include <QPointer>
#include <QPushButton>
#include <QTimer>
#include <QVBoxLayout>

#include <algorithm>

namespace {

struct Texts {
    QString title = ImportConsentDialog::tr("Make a Template?");
    QString folder = ImportConsentDialog::tr("Folder:");
    QString size = ImportConsentDialog::tr("Size:");
    QString fromLink = ImportConsentDialog::tr(
        "A link asked Quintara to make a template of this file. Agree only if you asked for it yourself: the "
        "file’s text will be kept in Quintara’s settings and written into every file made from the template.");
    QString ownerOnly = ImportConsentDialog::tr(
        "Only you may read this file. Its text will be kept in Quintara’s settings and written into every file "
        "made from the template, where others may be able to read it.");
    QString fromLinkFolder = ImportConsentDialog::tr(
        "A link asked Quintara to make a template of this folder. Agree only if you asked for it yourself: its "
        "files will be kept in Quintara’s data and written into every folder made from the template.");
    QString ownerOnlyFolder = ImportConsentDialog::tr(
        "This folder holds what only you may read. Its files will be kept in Quintara’s data and written into "
        "every folder made from the template, where what is yours alone stays so.");
    static QString folderSize(qsizetype items, const QString& size)
    {
        return ImportConsentDialog::tr("%n item(s), %1", nullptr, int(items)).arg(size);
    }
    QString makeTemplate = ImportConsentDialog::tr("&Make Template");
    QString cancel = ImportConsentDialog::tr("&Cancel");
    static QString question(const QString& file)
    {
        return ImportConsentDialog::tr("Make a template of “%1”?").arg(file);
    }
};

} // namespace

ImportConsentDialog::ImportConsentDialog(const TemplateImporter::Candidate& candidate, Reason reason, QWidget* parent)
    : QDialog(parent)
{
    const Texts text;
    const QFileInfo file(candidate.path);
    setObjectName(QStringLiteral("importConsentDialog"));
    setWindowTitle(text.title);
    WindowKeys::closeWithKeys(this);
    setWindowIcon(Symbols::applicationIcon());
    setFont(Style::font(font(), Style::body));

    auto* question = Style::label(Texts::question(file.fileName()), Style::font(font(), Style::headline, QFont::Bold),
                                  QStringLiteral("consentQuestion"), this);
    question->setWordWrap(true);
    auto* details = new QFormLayout;
    details->setLabelAlignment(Qt::AlignLeft);
    auto* folder = Style::label(file.path(), font(), QStringLiteral("consentFolder"), this);
    folder->setWordWrap(true);
    folder->setTextInteractionFlags(Qt::TextSelectableByMouse);
    const QString size = QLocale().formattedDataSize(candidate.size);
    details->addRow(Style::label(text.folder, font(), QString(), this), folder);
    details->addRow(Style::label(text.size, font(), QString(), this),
                    Style::label(candidate.isFolder ? Texts::folderSize(candidate.items, size) : size, font(),
                                 QStringLiteral("consentSize"), this));
    const QString& why = reason == Reason::link ? (candidate.isFolder ? text.fromLinkFolder : text.fromLink)
                                                : (candidate.isFolder ? text.ownerOnlyFolder : text.ownerOnly);
    auto* whyLabel =
        Style::secondaryLabel(why, Style::font(font(), Style::caption), QStringLiteral("consentReason"), this);
    whyLabel->setWordWrap(true);

    auto* buttons = new QDialogButtonBox(this);
    QPushButton* make = buttons->addButton(text.makeTemplate, QDialogButtonBox::AcceptRole);
    make->setObjectName(QStringLiteral("makeTemplateButton"));
    make->setAutoDefault(false);
    QPushButton* cancel = buttons->addButton(text.cancel, QDialogButtonBox::RejectRole);
    cancel->setObjectName(QStringLiteral("cancelButton"));
    cancel->setDefault(true);
    cancel->setFocus();
    Style::giveTitleRoom(make, 80);
    Style::giveTitleRoom(cancel, 80);
    connect(buttons, &QDialogButtonBox::accepted, this, &QDialog::accept);
    connect(buttons, &QDialogButtonBox::rejected, this, &QDialog::reject);

    auto* column = new QVBoxLayout(this);
    column->setContentsMargins(20, 20, 20, 16);
    column->setSpacing(12);
    column->addWidget(question);
    column->addLayout(details);
    column->addWidget(whyLabel);
    column->addWidget(buttons);
    // Wrapped text sets the height for the width, not the other way round.
    setFixedWidth(std::max(440, fontMetrics().averageCharWidth() * 56));
    setFixedHeight(column->heightForWidth(width()));
}

void ImportConsentDialog::confirmEach(QList<TemplateImporter::Candidate> candidates, QWidget* parent, Answer answer)
{
    askNext(std::make_shared<Round>(Round{std::move(candidates), {}, {}, parent, std::move(answer)}));
}

void ImportConsentDialog::askNext(const std::shared_ptr<Round>& round)
{
    if (!round->parent) // its window went away: nothing more is asked, nothing stored
        return;
    if (round->waiting.isEmpty()) {
        round->answer(round->agreed, round->declined);
        return;
    }
    auto* dialog = new ImportConsentDialog(round->waiting.constFirst(), Reason::ownerOnly, round->parent);
    dialog->setAttribute(Qt::WA_DeleteOnClose);
    dialog->setWindowModality(Qt::WindowModal);
    connect(dialog, &QDialog::finished, round->parent, [round](int result) {
        TemplateImporter::Candidate candidate = round->waiting.takeFirst();
        if (result == QDialog::Accepted) {
            round->agreed.append(std::move(candidate));
        } else {
            TemplateImporter::logRefusal(candidate.path, TemplateImporter::Refusal::declined);
            round->declined.append({candidate.path, TemplateImporter::Refusal::declined});
        }
        // The next dialog once this one is gone, so that two never stand on screen together.
        QTimer::singleShot(0, round->parent, [round] { askNext(round); });
    });
    dialog->open();
}
