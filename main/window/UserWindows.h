#pragma once

#include <QWidget>

#include <filesystem>

class QLabel;
class QLineEdit;
class QListWidget;

class QPainter;

namespace velnor {

class Messages;

// The mascot of the main window, a small friendly dog drawn by our own code
// (Picture1): a double click opens the user-name change window.
// The mascot dog (head, ears, collar) in a 96 x 60 area of the painter's
// coordinates: the picture of the main window and the program's icon.
void paintMascotDog(QPainter& painter);

class MascotPicture : public QWidget {
    Q_OBJECT
public:
    explicit MascotPicture(QWidget* parent);

signals:
    void doubleClicked();

protected:
    void paintEvent(QPaintEvent* event) override;
    void mouseDoubleClickEvent(QMouseEvent* event) override;
};

// "ユーザー名登録" (at the first start) and "ユーザー名変更" (from the mascot).
// OK stores the name in "Primary.dat" (line 32, lines 1 to 31 kept byte for
// byte); the registration's Cancel makes the user the guest.
class UserNameDialog : public QWidget {
    Q_OBJECT
public:
    enum class Mode { Registration, Change };
    UserNameDialog(Mode mode, Messages& messages, const std::filesystem::path& folder, QWidget* parent);
    void open(const QString& currentName = {});

signals:
    // The user is now `name` (the guest after a cancelled registration);
    // `stored` tells whether "Primary.dat" holds it.
    void userNamed(const QString& name, bool stored);

private:
    void accept();

    Mode m_mode;
    Messages& m_messages;
    std::filesystem::path m_folder;
    QLineEdit* m_name;
};

// " 照射部位追加・削除": the body-part list of "撮影部位.txt".
class BodyPartDialog : public QWidget {
    Q_OBJECT
public:
    BodyPartDialog(Messages& messages, const std::filesystem::path& folder, QWidget* parent);
    void open();

signals:
    void added(const QString& name);
    void removed();

private:
    void add();
    void remove();

    Messages& m_messages;
    std::filesystem::path m_folder;
    QListWidget* m_list;
    QLabel* m_count;
    QLineEdit* m_name;
};

} // namespace velnor
