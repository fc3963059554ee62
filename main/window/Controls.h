#pragma once

#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QStringList>

#include <filesystem>

// Small helpers the windows share: controls created with their object name
// (the name the tests find them by), and a folder's files of some extensions.
namespace velnor::controls {

inline QLabel* label(const QString& name, const QString& text, QWidget* parent)
{
    auto* l = new QLabel(text, parent);
    l->setObjectName(name);
    return l;
}

inline QPushButton* button(const QString& name, const QString& caption, QWidget* parent)
{
    auto* b = new QPushButton(caption, parent);
    b->setObjectName(name);
    return b;
}

inline QLineEdit* edit(const QString& name, QWidget* parent, int maximumWidth = 120)
{
    auto* e = new QLineEdit(parent);
    e->setObjectName(name);
    e->setMaximumWidth(maximumWidth);
    return e;
}

// The names of the regular files in `folder` that end in one of `extensions`
// (any letter case), sorted without regard to case.
QStringList filesWithExtensions(const std::filesystem::path& folder, const QStringList& extensions);

} // namespace velnor::controls
