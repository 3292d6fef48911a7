#include "app/shell/ui/pictureview.h"

#include <QFile>
#include <QImageReader>
#include <QLabel>
#include <QPixmap>

#include "app/shell/ui/qtext.h"

namespace klmw {

CPictureView::CPictureView(QWidget* parent) : QScrollArea(parent), m_label(new QLabel) {
  m_label->setAlignment(Qt::AlignCenter);
  setWidget(m_label);
  setWidgetResizable(true);
  setAlignment(Qt::AlignCenter);
}

void CPictureView::OnUpdate(platform::CView*, long, void*) {
  const platform::CDocument* doc = GetDocument();
  QImageReader reader(doc ? QFile::decodeName(doc->GetPathName().c_str()) : QString());
  m_image = reader.read();
  if (m_image.isNull()) {
    m_label->setPixmap(QPixmap());
    m_label->setText(tr("The picture cannot be shown: %1").arg(reader.errorString()));
  } else {
    ShowPicture();
  }
}

void CPictureView::ShowPicture() {
  if (m_image.isNull()) return;
  const QSize room = viewport()->size();
  const bool larger = m_image.width() > room.width() || m_image.height() > room.height();
  m_label->setPixmap(QPixmap::fromImage(m_fit && larger && !room.isEmpty()
                                            ? m_image.scaled(room, Qt::KeepAspectRatio, Qt::SmoothTransformation)
                                            : m_image));
}

void CPictureView::resizeEvent(QResizeEvent* e) {
  QScrollArea::resizeEvent(e);
  if (m_fit) ShowPicture();
}

void CPictureView::mouseDoubleClickEvent(QMouseEvent* e) {
  m_fit = !m_fit;
  ShowPicture();
  QScrollArea::mouseDoubleClickEvent(e);
}

bool CPictureView::HasPicture() const { return !m_label->pixmap().isNull(); }

std::string FormatPictureDocumentName(const std::string& path, const std::string& caption) {
  return path + "\t" + caption;
}

bool OpenPictureDocument(platform::CDocument& doc, const std::string& name) {
  const size_t tab = name.find('\t');
  const std::string path = name.substr(0, tab);
  if (path.empty()) return false;
  std::string caption = tab == std::string::npos ? std::string() : name.substr(tab + 1);
  if (caption.empty()) caption = path.substr(path.find_last_of('/') + 1);
  doc.SetPathName(path);
  doc.SetTitle(caption);
  return true;
}

CMadeView MakePictureView(platform::CDocument&, QWidget* parent) {
  auto* v = new CPictureView(parent);
  return CMadeView{v, v};
}

}  // namespace klmw
