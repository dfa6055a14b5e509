#pragma once

#include <QDialog>

class QLineEdit;
class TextureImage;

// Asks for the participant's name at the start of a quiz. The field keeps the last name
// entered, so create the dialog once and reuse it; Accepted means "Quiz starten", Rejected
// cancels the start.
class TNameEingabeForm : public QDialog
{
    Q_OBJECT
public:
    static constexpr int maxNameLength = 30;

    explicit TNameEingabeForm(QWidget* parent = nullptr);

    // The field's text as typed, blanks included.
    QString name() const;
    // Longer names are cut to maxNameLength characters.
    void setName(const QString& name);

protected:
    void showEvent(QShowEvent* event) override;

private:
    TextureImage* m_backImg = nullptr;
    QLineEdit* m_nameEdit = nullptr;
};
