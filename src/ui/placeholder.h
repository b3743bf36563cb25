#pragma once

#include <QString>

class QDialog;

namespace vok {

// Gives a window that is not built yet its name, caption and an "Iesire" button.
void buildPlaceholder(QDialog *window, const QString &objectName, const QString &caption);

} // namespace vok
