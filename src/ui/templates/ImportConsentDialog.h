#pragma once

#include "store/TemplateImporter.h"

#include <QDialog>
#include <QPointer>

#include <functional>
#include <memory>

// Asks before a file becomes a template when the user may not have meant it: the request came by a
// link (which any program or web page can open), or the file is one that only its owner may read.
// It names the file, its folder and its size, and says why it asks. Cancel is the default, so that
// Return or Escape pressed without reading stores nothing.
class ImportConsentDialog : public QDialog {
    Q_OBJECT

public:
    enum class Reason { link, ownerOnly };

    ImportConsentDialog(const TemplateImporter::Candidate& candidate, Reason reason, QWidget* parent = nullptr);

    using Answer = std::function<void(const QList<TemplateImporter::Candidate>& agreed,
                                      const QList<TemplateImporter::Outcome>& declined)>;
    // Asks about each file that only its owner may read, in turn, each dialog over `parent`; then hands
    // over the ones the user agreed to and, as refusals, the others. Nothing is handed over once
    // `parent` is gone.
    static void confirmEach(QList<TemplateImporter::Candidate> candidates, QWidget* parent, Answer answer);

private:
    struct Round {
        QList<TemplateImporter::Candidate> waiting, agreed;
        QList<TemplateImporter::Outcome> declined;
        QPointer<QWidget> parent;
        Answer answer;
    };
    static void askNext(const std::shared_ptr<Round>& round);
};
