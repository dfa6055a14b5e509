#pragma once

#include <QDialog>

class QLabel;
class QPlainTextEdit;
class TBitBtn2;
class TextureImage;

// The about box: title, version, the program icon, the legal notice and terms of use, and a
// link to the maker's web site.
class TInfoBox : public QDialog
{
    Q_OBJECT
public:
    explicit TInfoBox(QWidget* parent = nullptr);

    // The notice as shown, with the program's title filled in.
    QString noticeText() const;

protected:
    void showEvent(QShowEvent* event) override;
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    TextureImage* m_backImg = nullptr;
    QLabel* m_titelLabel = nullptr;
    QLabel* m_versLab = nullptr;
    QPlainTextEdit* m_memo = nullptr;
    TBitBtn2* m_okBtn = nullptr;
};
