#include "main/window/Controls.h"

namespace velnor::controls {

QStringList filesWithExtensions(const std::filesystem::path& folder, const QStringList& extensions)
{
    QStringList names;
    std::error_code ec;
    for (std::filesystem::directory_iterator it(folder, ec), end; !ec && it != end; it.increment(ec)) {
        const QString name = QString::fromStdString(it->path().filename().string());
        std::error_code fileError;
        if (!it->is_regular_file(fileError))
            continue;
        for (const QString& extension : extensions)
            if (name.endsWith(extension, Qt::CaseInsensitive)) {
                names << name;
                break;
            }
    }
    names.sort(Qt::CaseInsensitive);
    return names;
}

} // namespace velnor::controls
