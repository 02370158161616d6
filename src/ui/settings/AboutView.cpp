#include "ui/settings/AboutView.h"

#include "model/AppIdentity.h"
#include "model/BundleInfo.h"
#include "platform/Clock.h"
#include "platform/Workspace.h"
#include "ui/common/ApplicationIconView.h"
#include "ui/common/Style.h"
#include "ui/common/Symbols.h"

#include <QAbstractButton>
#include <QCoreApplication>
#include <QFrame>
#include <QHBoxLayout>
#include <QLabel>
#include <QPainter>
#include <QStyle>
#include <QStyleOptionFocusRect>
#include <QUrl>
#include <QVBoxLayout>

namespace {

constexpr int iconSize = 96;
constexpr int linkSymbolSize = 13;

// The texts of the About tab.
struct Texts {
    Q_DECLARE_TR_FUNCTIONS(AboutView)

public:
    QString tagline = tr("The missing right-click feature your file manager should have had.");
    QString support = tr("Support");
    QString privacy = tr("Privacy Policy");
    // %1 is the current year. The program is free software; the line names its licence.
    QString copyright = tr("© %1 Quintara. Free software under the MIT License.");
};

// A link to a web page: a symbol beside a title, both in the link colour, with no button frame around
// them, so the links sit exactly as far apart as the row's spacing says.
class LinkButton final : public QAbstractButton {
public:
    LinkButton(const QString& title, const QString& symbol, QWidget* parent) : QAbstractButton(parent), m_symbol(symbol)
    {
        setText(title);
        setCursor(Qt::PointingHandCursor);
        setFocusPolicy(Qt::TabFocus);
        setAttribute(Qt::WA_Hover); // repaint on entering and leaving, for the underline
    }

    QSize sizeHint() const override
    {
        const QFontMetrics metrics(font());
        return {linkSymbolSize + symbolGap + metrics.horizontalAdvance(text()) + 2 * focusMargin,
                qMax(metrics.height(), linkSymbolSize) + 2 * focusMargin};
    }

protected:
    void paintEvent(QPaintEvent*) override
    {
        QPainter painter(this);
        const QColor colour = isDown() ? palette().color(QPalette::Link).darker(140) : palette().color(QPalette::Link);
        const QPixmap symbol = Symbols::pixmap(m_symbol, colour, linkSymbolSize, devicePixelRatioF());
        if (!symbol.isNull())
            painter.drawPixmap(QRectF(focusMargin, (height() - linkSymbolSize) / 2.0, linkSymbolSize, linkSymbolSize),
                               symbol, symbol.rect());
        QFont titleFont = font();
        titleFont.setUnderline(underMouse());
        painter.setFont(titleFont);
        painter.setPen(colour);
        painter.drawText(rect().adjusted(focusMargin + linkSymbolSize + symbolGap, 0, -focusMargin, 0),
                         Qt::AlignLeft | Qt::AlignVCenter, text());
        if (hasFocus()) {
            QStyleOptionFocusRect option;
            option.initFrom(this);
            style()->drawPrimitive(QStyle::PE_FrameFocusRect, &option, &painter, this);
        }
    }

private:
    static constexpr int symbolGap = 4;
    static constexpr int focusMargin = 1;
    QString m_symbol;
};

LinkButton* link(const QString& title, const QString& symbol, const QUrl& page, const QString& name,
                 Workspace& workspace, QWidget* parent)
{
    auto* button = new LinkButton(title, symbol, parent);
    button->setObjectName(name);
    button->setFont(Style::font(parent->font(), Style::caption));
    button->setToolTip(page.toString());
    QObject::connect(button, &QAbstractButton::clicked, parent, [&workspace, page] { workspace.openUrl(page); });
    return button;
}

} // namespace

AboutView::AboutView(const QVariantMap& bundleInfo, const Clock& clock, Workspace& workspace, QWidget* parent)
    : QWidget(parent), m_clock(clock)
{
    setObjectName(QStringLiteral("aboutView"));
    const Texts text;

    QLabel* tagline =
        Style::secondaryLabel(text.tagline, Style::font(font(), Style::body), QStringLiteral("taglineLabel"), this);
    tagline->setWordWrap(true);
    tagline->setAlignment(Qt::AlignHCenter | Qt::AlignTop);
    tagline->setMaximumWidth(320);
    tagline->setSizePolicy(QSizePolicy::Expanding, QSizePolicy::Preferred);
    // The tagline takes all the width it may (up to its maximum) before the margins around it grow,
    // so it wraps only when the tab is narrower than that.
    auto* taglineRow = new QHBoxLayout;
    taglineRow->setContentsMargins(0, 0, 0, 0);
    taglineRow->addStretch(1);
    taglineRow->addWidget(tagline, 1000);
    taglineRow->addStretch(1);

    QFrame* divider = Style::divider(this);
    divider->setObjectName(QStringLiteral("aboutDivider"));
    auto* dividerRow = new QHBoxLayout;
    dividerRow->setContentsMargins(60, 0, 60, 0);
    dividerRow->addWidget(divider);

    auto* links = new QHBoxLayout;
    links->setContentsMargins(0, 0, 0, 0);
    links->setSpacing(24);
    links->addStretch(1);
    links->addWidget(link(text.support, QStringLiteral("envelope"), QUrl(AppIdentity::supportUrl),
                          QStringLiteral("supportLink"), workspace, this),
                     0, Qt::AlignVCenter);
    links->addWidget(link(text.privacy, QStringLiteral("lock.shield"), QUrl(AppIdentity::privacyUrl),
                          QStringLiteral("privacyLink"), workspace, this),
                     0, Qt::AlignVCenter);
    links->addStretch(1);

    m_copyright = Style::secondaryLabel(copyrightLine(), Style::font(font(), Style::caption2),
                                        QStringLiteral("copyrightLabel"), this);

    // The two equal stretches keep the block from the icon to the links midway between the top edge
    // and the copyright line, which stays at the bottom.
    auto* column = new QVBoxLayout(this);
    column->setContentsMargins(40, 0, 40, 0);
    column->setSpacing(0);
    column->addStretch(1);
    column->addWidget(new ApplicationIconView(iconSize, this), 0, Qt::AlignHCenter);
    column->addSpacing(12);
    column->addWidget(Style::label(QStringLiteral("Quintara"), Style::font(font(), Style::largeTitle, QFont::Bold),
                                   QStringLiteral("nameLabel"), this),
                      0, Qt::AlignHCenter);
    column->addWidget(Style::secondaryLabel(BundleInfo::versionLine(bundleInfo),
                                            Style::font(font(), Style::subheadline), QStringLiteral("versionLabel"),
                                            this),
                      0, Qt::AlignHCenter);
    column->addSpacing(16);
    column->addLayout(taglineRow);
    column->addSpacing(24);
    column->addLayout(dividerRow);
    column->addSpacing(16);
    column->addLayout(links);
    column->addStretch(1);
    column->addWidget(m_copyright, 0, Qt::AlignHCenter);
    column->addSpacing(16);
}

void AboutView::showEvent(QShowEvent* event)
{
    QWidget::showEvent(event);
    m_copyright->setText(copyrightLine());
}

QString AboutView::copyrightLine() const
{
    // Plain digits: a locale's grouping would turn the year into "2,026".
    return Texts().copyright.arg(QString::number(m_clock.now().date().year()));
}
