#include <QMessageBox>

#include "platform/Backend.h"
#include "platform/qt/QtAccess.h"

namespace platform {

void ShowWarningBox(const std::string& caption, const std::string& text) {
    QMessageBox box(QMessageBox::Warning, qt::ToQt(caption), qt::ToQt(text), QMessageBox::Ok);
    box.setWindowModality(Qt::ApplicationModal);
    box.exec();
}

}  // namespace platform
