#pragma once

#include <QDialog>

namespace vok {

// `init`: "MECANIZARE" in large type and "VOK" below it, for `milliseconds`
// (2.5 s in the program); its timer `timp` closes it.
class SplashWindow : public QDialog {
    Q_OBJECT
public:
    explicit SplashWindow(int milliseconds = 2500, QWidget *parent = nullptr);
};

} // namespace vok
