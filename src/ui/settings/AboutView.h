#pragma once

#include <QVariantMap>
#include <QWidget>

class Clock;
class QLabel;
class Workspace;

// The About tab: the product's icon, name, version and tagline, links to the maker's support and
// privacy pages, and a copyright line. It changes nothing; its only actions are the two links.
class AboutView : public QWidget {
    Q_OBJECT

public:
    // `bundleInfo` supplies the version keys; a missing or non-text value shows its default.
    AboutView(const QVariantMap& bundleInfo, const Clock& clock, Workspace& workspace, QWidget* parent = nullptr);

protected:
    // The year is read afresh each time the tab comes on screen, so a long run crosses New Year correctly.
    void showEvent(QShowEvent* event) override;

private:
    QString copyrightLine() const;

    const Clock& m_clock;
    QLabel* m_copyright;
};
