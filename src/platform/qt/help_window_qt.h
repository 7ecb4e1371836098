// The help window Form2 as a Qt window: two option buttons choose between the about page and
// the shortcut list, and "닫 기" closes it. It shows the state of the HelpWindow model and hands
// the user's clicks to it.
#pragma once

#include <QWidget>

class QLabel;
class QPlainTextEdit;
class QPushButton;
class QRadioButton;

namespace muto {
class HelpWindow;
}

namespace muto::qt {

class HelpWindowView : public QWidget {
public:
    // A window of its own, kept in front of `owner`; becomes the model's view for its lifetime.
    HelpWindowView(HelpWindow& model, QWidget* owner);
    ~HelpWindowView() override;

    QRadioButton* option(int index) const { return options_[index]; }
    QPlainTextEdit* text1() const { return text1_; }
    QWidget* aboutPage() const { return about_; }
    QPushButton* closeButton() const { return close_; }

    // The picture of the about page.
    static QPixmap aboutPicture();

protected:
    void closeEvent(QCloseEvent* event) override;

private:
    void sync();

    HelpWindow& model_;
    QRadioButton* options_[2];
    QPlainTextEdit* text1_;
    QWidget* about_;
    QPushButton* close_;
    int shownCount_ = 0;
};

}  // namespace muto::qt
