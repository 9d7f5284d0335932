// The About box: picture, author lines, three links and OK.
#pragma once

#include <QDialog>
#include <vector>

namespace marlix::ui {

class HyperLink;

class AboutBox : public QDialog {
  Q_OBJECT

 public:
  // Modal to owner while it runs.
  explicit AboutBox(QWidget* owner);

  // e-mail, home page, banner.
  const std::vector<HyperLink*>& links() const { return links_; }

 protected:
  void keyPressEvent(QKeyEvent* event) override;

 private:
  std::vector<HyperLink*> links_;
};

}  // namespace marlix::ui
