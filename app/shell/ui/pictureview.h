// The picture window (template [5]): one picture file, made smaller to fit
// the window when it is larger (a double click shows it at its own size,
// scrolled, and back). Its document is named by the
// file's path, a tab and the caption the window is titled with.
#pragma once

#include <QImage>
#include <QScrollArea>
#include <string>

#include "app/shell/ui/doctemplate.h"
#include "platform/docview.h"

class QLabel;

namespace klmw {

class CPictureView : public QScrollArea, public platform::CView {
  Q_OBJECT

 public:
  explicit CPictureView(QWidget* parent = nullptr);

  // Reads the document's file again.
  void OnUpdate(platform::CView* sender, long hint, void* object) override;
  bool HasPicture() const;
  // The picture's own size (empty without one).
  QSize PictureSize() const { return m_image.size(); }
  bool IsFitted() const { return m_fit; }

 protected:
  void resizeEvent(QResizeEvent* e) override;
  void mouseDoubleClickEvent(QMouseEvent* e) override;

 private:
  void ShowPicture();

  QLabel* m_label;
  QImage m_image;
  bool m_fit = true;
};

// The name a picture document opens by.
std::string FormatPictureDocumentName(const std::string& path, const std::string& caption);
// The template's opener: the path becomes the document's path name and the
// caption (the file's name when there is none) its title.
bool OpenPictureDocument(platform::CDocument& doc, const std::string& name);
CMadeView MakePictureView(platform::CDocument& doc, QWidget* parent);

}  // namespace klmw
