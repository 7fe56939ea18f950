#include "app/ui/status_line.h"

#include <QDialogButtonBox>
#include <QPlainTextEdit>
#include <QVBoxLayout>

#include "app/ui/qt_german.h"
#include "app/ui/qt_text.h"

namespace sonora::ui {

namespace {
constexpr int kListWidth = 600; // pixels
constexpr int kListHeight = 300;
} // namespace

StatusLine::StatusLine(QWidget* parent) : QLabel(parent) {
    setAutoFillBackground(true);
    setObjectName(QStringLiteral("calcStatus"));
}

void StatusLine::showStatus(const std::string& latin1Text, StatusFace face) {
    face_ = face;
    setText(fromLatin1(latin1Text));
    switch (face) {
    case StatusFace::Running:
        setStyleSheet(QStringLiteral("QLabel { background-color: rgb(128,128,128); }"));
        break;
    case StatusFace::Failed:
        setStyleSheet(QStringLiteral("QLabel { background-color: rgb(255,0,0); }"));
        break;
    case StatusFace::Normal:
        setStyleSheet(QString());
        break;
    }
}

void StatusLine::mousePressEvent(QMouseEvent* event) {
    QLabel::mousePressEvent(event);
    emit clicked();
}

ErrorListDialog::ErrorListDialog(QWidget* parent)
    : QDialog(parent), memo_(new QPlainTextEdit(this)) {
    setWindowTitle(QStringLiteral("Fehlerliste"));
    memo_->setReadOnly(true);
    auto* layout = new QVBoxLayout(this);
    layout->addWidget(memo_);
    auto* buttons = new QDialogButtonBox(QDialogButtonBox::Close, this);
    germanButtons(buttons);
    connect(buttons, &QDialogButtonBox::rejected, this, &QDialog::reject);
    layout->addWidget(buttons);
    resize(kListWidth, kListHeight);
}

void ErrorListDialog::setEntries(const std::vector<std::string>& latin1Entries) {
    QStringList lines;
    for (const std::string& e : latin1Entries) {
        lines << fromLatin1(e);
    }
    memo_->setPlainText(lines.join(QLatin1Char('\n')));
}

QString ErrorListDialog::text() const {
    return memo_->toPlainText();
}

} // namespace sonora::ui
