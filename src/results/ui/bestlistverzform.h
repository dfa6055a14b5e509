#pragma once

#include <QDialog>

class QLineEdit;
class TextureImage;

// "Ordner für Protokolle und Bestenlisten": the two folders the results are written to. It shows
// the folders of folders() on every activation and stores both there on "OK", each with a
// trailing separator, but only when both exist; otherwise it names the first invalid one (the
// protocol folder is checked first) and stays open. "Abbrechen" changes nothing.
class TBestListVerzForm : public QDialog
{
    Q_OBJECT
public:
    explicit TBestListVerzForm(QWidget* parent = nullptr);

    void accept() override;

protected:
    void showEvent(QShowEvent* event) override;

private:
    void browse(QLineEdit* field, const QString& title);
    // Adds the separator to a non-empty field; false, after the message, when the folder is missing.
    bool checkFolder(QLineEdit* field, const QString& invalidText);

    TextureImage* m_backImg = nullptr;
    QLineEdit* m_bestListVerzEdit = nullptr;
    QLineEdit* m_protVerzEdit = nullptr;
};
