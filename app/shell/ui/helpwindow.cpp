#include "app/shell/ui/helpwindow.h"

#include <QAction>
#include <QDir>
#include <QFileInfo>
#include <QStyle>
#include <QTextBrowser>
#include <QToolBar>
#include <QVBoxLayout>

#include "app/shell/manual.h"

namespace klmw {

namespace {

// Pages whose pictures were not drawn show their alt texts in their place.
class CHelpBrowser : public QTextBrowser {
 public:
  using QTextBrowser::QTextBrowser;
  QVariant loadResource(int type, const QUrl& name) override {
    QVariant data = QTextBrowser::loadResource(type, name);
    if (type != QTextDocument::HtmlResource || !name.isLocalFile()) return data;
    const QString html = data.userType() == QMetaType::QByteArray ? QString::fromUtf8(data.toByteArray()) : data.toString();
    const QDir folder = QFileInfo(name.toLocalFile()).dir();
    return QString::fromStdString(DropMissingPictures(html.toStdString(), [&folder](const std::string& src) {
      return QFileInfo::exists(folder.filePath(QString::fromStdString(src)));
    }));
  }
};

}  // namespace

CHelpWindow::CHelpWindow(const QUrl& contents, QWidget* parent)
    : QWidget(parent, Qt::Window), m_contents(contents), m_browser(new CHelpBrowser(this)) {
  setObjectName(QStringLiteral("helpWindow"));
  setWindowTitle(tr("klmw Help"));
  m_browser->setObjectName(QStringLiteral("helpBrowser"));
  // Pages of the guide open here; addresses on the web in the browser.
  m_browser->setOpenLinks(true);
  m_browser->setOpenExternalLinks(true);

  auto* bar = new QToolBar(this);
  QStyle* s = style();
  QAction* back = bar->addAction(s->standardIcon(QStyle::SP_ArrowBack), tr("&Back"), m_browser, &QTextBrowser::backward);
  QAction* forward =
      bar->addAction(s->standardIcon(QStyle::SP_ArrowForward), tr("&Forward"), m_browser, &QTextBrowser::forward);
  QAction* home = bar->addAction(s->standardIcon(QStyle::SP_DirHomeIcon), tr("&Contents"), this,
                                 [this] { m_browser->setSource(m_contents); });
  back->setShortcut(QKeySequence::Back);
  forward->setShortcut(QKeySequence::Forward);
  home->setObjectName(QStringLiteral("helpContents"));
  bar->setToolButtonStyle(Qt::ToolButtonTextBesideIcon);
  back->setEnabled(false);
  forward->setEnabled(false);
  connect(m_browser, &QTextBrowser::backwardAvailable, back, &QAction::setEnabled);
  connect(m_browser, &QTextBrowser::forwardAvailable, forward, &QAction::setEnabled);
  connect(m_browser, &QTextBrowser::sourceChanged, this, [this] {
    const QString title = m_browser->documentTitle();
    setWindowTitle(title.isEmpty() ? tr("klmw Help") : tr("klmw Help - %1").arg(title));
  });

  auto* layout = new QVBoxLayout(this);
  layout->setContentsMargins(0, 0, 0, 0);
  layout->setSpacing(0);
  layout->addWidget(bar);
  layout->addWidget(m_browser);
  resize(760, 640);
}

void CHelpWindow::ShowPage(const QUrl& page) {
  m_browser->setSource(page);
  show();
  if (isMinimized()) showNormal();
  raise();
  activateWindow();
}

}  // namespace klmw
