// The status bar text of the calculation ("Berechnung läuft: …%" on grey, the final message, red
// on failure) and the error list it opens when clicked.
#pragma once

#include <QDialog>
#include <QLabel>
#include <string>
#include <vector>

#include "engine/calc_form.h"

class QPlainTextEdit;

namespace sonora::ui {

class StatusLine : public QLabel {
    Q_OBJECT
public:
    explicit StatusLine(QWidget* parent = nullptr);
    void showStatus(const std::string& latin1Text, StatusFace face);
    StatusFace face() const { return face_; }

signals:
    void clicked(); // opens the error list

protected:
    void mousePressEvent(QMouseEvent* event) override;

private:
    StatusFace face_ = StatusFace::Normal;
};

// The error list: the stage texts of the last run, one entry after the other.
class ErrorListDialog : public QDialog {
    Q_OBJECT
public:
    explicit ErrorListDialog(QWidget* parent = nullptr);
    void setEntries(const std::vector<std::string>& latin1Entries);
    QString text() const;

private:
    QPlainTextEdit* memo_;
};

} // namespace sonora::ui
