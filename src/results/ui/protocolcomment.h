#pragma once

#include <QDialog>

class QPlainTextEdit;
class TextureImage;

// Takes a comment for the protocol of the last quiz. The caller sets the caption, empties the
// field and shows the dialog modally; Accepted means "OK".
class TProtKomForm : public QDialog
{
    Q_OBJECT
public:
    explicit TProtKomForm(QWidget* parent = nullptr);

    // The text as typed; line breaks are "\n".
    QString comment() const;
    void setComment(const QString& text);

protected:
    void showEvent(QShowEvent* event) override;

private:
    TextureImage* m_backImg = nullptr;
    QPlainTextEdit* m_memo = nullptr;
};
