#include "kennzinfobox.h"

#include "common/theme.h"
#include "ui/uistyle.h"
#include "widgets/bitbtn.h"

#include <QGuiApplication>
#include <QPlainTextEdit>
#include <QScreen>

QStringList TKennzInfoBox::explanationLines()
{
    return {
        QStringLiteral("\"Status\":"),
        QStringLiteral("Zeigt den aktuellen Status an. "),
        QStringLiteral("Mögliche Anzeigen sind: \"warte auf Antwort\", \"Richtig\", \"Falsch\""),
        QString(),
        QStringLiteral("\"Richtige Antworten\":"),
        QStringLiteral("Gibt die bisherige Anzahl der richtig beantworteten Fragen an."),
        QString(),
        QStringLiteral("\"Fehlversuche\":"),
        QStringLiteral("Gibt die bisherige Anzahl der falschen Antworten an. Fragen, die falsch beantwortet "),
        QStringLiteral("wurden, werden im weiteren Verlauf des Quiz wiederholt."),
        QString(),
        QStringLiteral("\"Aktuelle Erfolgsquote\":"),
        QStringLiteral("Die aktuelle Erfolgsquote ist:   Q = richtig / (richtig + falsch)"),
        QStringLiteral("Der Wert sagt aus, welcher Anteil der bisher getätigten Antworten richtig war."),
        QString(),
        QStringLiteral("\"Offene Fragen\":"),
        QStringLiteral("Gibt die aktuelle Anzahl der Fragen an, die noch gestellt werden."),
        QString(),
        QStringLiteral("\"Gesamtleistung\":"),
        QStringLiteral("Die bisherige Gesamtleistung ist:   L = richtig / (richtig + falsch + offen)"),
        QStringLiteral("Diese Kennzahl ist die Grundlage der Leistungsbwertung (Benotung) am Ende des "),
        QStringLiteral("Quiz."),
        QString(),
        QStringLiteral("\"Benötigte Zeit\":"),
        QStringLiteral("Zeigt die bisher benötigte Zeit im Format \"Minuten:Sekunden\" an."),
    };
}

TKennzInfoBox::TKennzInfoBox(QWidget* parent)
    : QDialog(parent, Qt::Dialog | Qt::WindowStaysOnTopHint)
{
    const TexturedDialogFrame frame
        = setUpTexturedDialog(this, "KennzInfoBox", QStringLiteral("Information zu den Kennzahlen"), QSize(560, 470));
    QWidget* panel = frame.panel;
    m_backImg = frame.backImage;

    m_memo = new QPlainTextEdit(panel);
    m_memo->setObjectName(QStringLiteral("Memo1"));
    m_memo->setReadOnly(true);
    m_memo->setPlainText(explanationLines().join(QLatin1Char('\n')));
    m_memo->setGeometry(16, 16, 528, 394);

    auto* ok = addDialogButton(panel, QStringLiteral("Schließen"), "OKBtn", QRect(444, 424, 100, 28));
    ok->setDefault(true);
    connect(ok, &QPushButton::clicked, this, &QDialog::accept);
}

void TKennzInfoBox::showEvent(QShowEvent* event)
{
    if (const QScreen* screen = QGuiApplication::primaryScreen()) {
        const QRect available = screen->availableGeometry();
        move(available.center() - rect().center());
    }
    m_backImg->paintNineSlice(ThemeTextures::builtIn().texture2);
    styleDialogButtons(this);
    QDialog::showEvent(event);
}
