#pragma once

#include <QDialog>

class QPlainTextEdit;
class TextureImage;

// Explains the figures of the quiz status panel.
class TKennzInfoBox : public QDialog
{
    Q_OBJECT
public:
    explicit TKennzInfoBox(QWidget* parent = nullptr);

    // The explanation, one entry per line.
    static QStringList explanationLines();

protected:
    void showEvent(QShowEvent* event) override;

private:
    TextureImage* m_backImg = nullptr;
    QPlainTextEdit* m_memo = nullptr;
};
