#pragma once

#include <QString>
#include <QStringList>

#include <exception>

class QFontMetrics;
class QMessageBox;
class QWidget;

namespace velnor {

// The message boxes of the windows, behind one small interface so that window
// tests never block: they install a recorder that answers for the user.
class Messages {
public:
    virtual ~Messages() = default;
    // A warning with an OK button; `detail` (may be empty) is the technical
    // reason, behind the box's collapsed details.
    virtual void warn(const QString& text, const QString& detail = {}) = 0;
    // A plain message without an icon (a completion notice).
    virtual void inform(const QString& text) { warn(text); }
    // A question with Yes and No; true for Yes.
    virtual bool askYesNo(const QString& text) = 0;
    // A question with OK and Cancel; true for OK.
    virtual bool askOkCancel(const QString& text) = 0;
    virtual void beep() = 0;
    // One of `items` chosen by the user (its index), or -1 for none.
    virtual int choose(const QString& /*text*/, const QStringList& items) { return items.isEmpty() ? -1 : 0; }
};

// The reason of a failure as the windows show it: its Japanese wording from
// the table of reasons (a file's fault with its file and line, a refused
// record, a failed calculation); what() only for an error from a library.
QString detailOf(const std::exception& error);

// A message box as the windows show one: its details collapsed behind the
// details button, its lines kept whole.
void prepareMessageBox(QMessageBox& box, const QString& detail);

// Keeps each line of a box's message whole (no break inside a Japanese word),
// giving the box the width it needs as far as the screen allows; a line wider
// than `room` pixels breaks after a punctuation mark or a blank instead.
void keepWordsWhole(QMessageBox& box);
QString breakAtPhrases(const QString& text, const QFontMetrics& metrics, int room);

// Modal QMessageBox dialogs with a warning icon, and the platform's beep.
class DialogMessages : public Messages {
public:
    explicit DialogMessages(QWidget* parent) : m_parent(parent) {}
    void warn(const QString& text, const QString& detail) override;
    void inform(const QString& text) override;
    bool askYesNo(const QString& text) override;
    bool askOkCancel(const QString& text) override;
    void beep() override;
    int choose(const QString& text, const QStringList& items) override;

private:
    QWidget* m_parent;
};

} // namespace velnor
