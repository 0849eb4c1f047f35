#include "app/update_window.h"

#include "app/lumivex_update_view.h"

#include <QShortcut>
#include <QVBoxLayout>

namespace lumivex {

UpdateWindow::UpdateWindow(LumivexUpdateController& updates)
    : QWidget(nullptr, Qt::Dialog | Qt::CustomizeWindowHint | Qt::WindowTitleHint |
                           Qt::WindowCloseButtonHint) {
    setWindowTitle(QStringLiteral("Dovrin 업데이트"));
    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->addWidget(new LumivexUpdateView(updates, this));
    setFixedSize(480, 410);
    connect(new QShortcut(QKeySequence(Qt::Key_Escape), this), &QShortcut::activated, this,
            &QWidget::close);
}

}  // namespace lumivex
