#pragma once

#include <QString>

class QWidget;

namespace velnor::pdd {

// The message boxes of the depth-dose program, behind one small interface so
// that window tests answer for the user.
class PddMessages {
public:
    virtual ~PddMessages() = default;
    // A warning with OK; `detail` (may be empty) goes into the collapsed details.
    virtual void warn(const QString& text, const QString& detail = {}) = 0;
    // A notice without an icon (a file was saved).
    virtual void inform(const QString& text) { warn(text); }
    virtual bool askOkCancel(const QString& text) = 0;
};

class DialogPddMessages : public PddMessages {
public:
    explicit DialogPddMessages(QWidget* parent) : m_parent(parent) {}
    void warn(const QString& text, const QString& detail) override;
    void inform(const QString& text) override;
    bool askOkCancel(const QString& text) override;

private:
    QWidget* m_parent;
};

} // namespace velnor::pdd
