#include "authoring/ui/labeleditorwindow.h"

#include "authoring/topiceditor.h"
#include "authoring/ui/storabletext.h"
#include "cardview/markup.h"
#include "document/commatext.h"
#include "document/objectlayout.h"
#include "platform/cp1252.h"
#include "ui/dialogservice.h"

#include <QAction>
#include <QCheckBox>
#include <QComboBox>
#include <QDir>
#include <QFileInfo>
#include <QFormLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QListWidget>
#include <QPushButton>
#include <QScrollArea>
#include <QSpinBox>
#include <QUndoStack>
#include <QVBoxLayout>

#include <algorithm>

namespace {

// Where "Neu" puts a label: the card's centre, so it shows whatever part of the card is seen.
const QPointF cardCentre(0.5, 0.5);
// Font size steps a teacher can choose: the card's text height is 22 + 2 × step units, so this
// runs from small print to a heading.
constexpr int smallestSizeStep = -8;
constexpr int largestSizeStep = 40;
// How long the hint about a refused character stays.
constexpr int refusalHintMs = 6000;

const QString orderTip = QStringLiteral(
    "Die Reihenfolge ist die Kennung der Objekte: Quiz, Protokoll und Netzwerkübung nennen jedes Objekt "
    "nach seiner Stelle in dieser Liste.");

// The kinds a teacher can give an object here, in the order the choice lists them.
struct KindChoice
{
    qint32 kind;
    const char16_t* text;
};
constexpr KindChoice kindChoices[] = {
    {ObjectKind::Label, u"Beschriftung"},
    {ObjectKind::FixedText, u"fester Text"},
    {ObjectKind::InfoPoint, u"Infopunkt"},
    {ObjectKind::WebLink, u"Link (Datei/Webadresse)"},
    {ObjectKind::DocumentLink, u"Dokument-Link"},
};

QString kindName(qint32 kind)
{
    switch (kind) {
    case ObjectKind::Label:
        return QStringLiteral("Beschriftung");
    case ObjectKind::FixedText:
        return QStringLiteral("Fester Text");
    case ObjectKind::InfoPoint:
        return QStringLiteral("Infopunkt");
    case ObjectKind::ClozeGap:
        return QStringLiteral("Lücke");
    case ObjectKind::WebLink:
        return QStringLiteral("Link");
    case ObjectKind::DocumentLink:
        return QStringLiteral("Dokument-Link");
    case ObjectKind::Answer:
        return QStringLiteral("Antwort");
    case ObjectKind::QuestionText:
        return QStringLiteral("Fragetext");
    case ObjectKind::PagePrevious:
    case ObjectKind::PageNext:
    case ObjectKind::PageFirst:
    case ObjectKind::PageLast:
    case ObjectKind::PageRandom:
        return QStringLiteral("Seitenknopf");
    case ObjectKind::PageText:
        return QStringLiteral("Seitentext");
    default:
        return QStringLiteral("Objekt der Art %1").arg(kind);
    }
}

QString lockReason(qint32 kind)
{
    if (kind == ObjectKind::ClozeGap)
        return QStringLiteral("Diese Lücke entsteht aus dem Lückentext und wird mit ihm bearbeitet.");
    return QStringLiteral("Dieses Objekt entsteht aus den Einzelfragen und wird mit ihnen bearbeitet.");
}

// A stored caption as the field shows it: one line break per line.
QString shownText(const QString& caption)
{
    QString text = caption;
    text.replace(QLatin1String("\r\n"), QLatin1String("\n"));
    return text;
}

QString firstLine(const QString& caption)
{
    for (qsizetype i = 0; i < caption.size(); ++i) {
        if (caption.at(i) == u'\r' || caption.at(i) == u'\n')
            return caption.left(i);
    }
    return caption;
}

// The caption a chosen file gets: relative to the topic's folder when it lies in it or below,
// since the program looks for links beside the topic first and a topic folder moves as a whole;
// otherwise the full path.
QString linkCaption(const QString& chosen, const QString& documentPath)
{
    if (!documentPath.isEmpty()) {
        const QString relative = QFileInfo(documentPath).absoluteDir().relativeFilePath(chosen);
        if (!relative.startsWith(QLatin1String("..")) && !QDir::isAbsolutePath(relative))
            return relative;
    }
    return QDir::cleanPath(chosen);
}

QComboBox* choice(QWidget* parent, const char* name, std::initializer_list<const char16_t*> texts)
{
    auto* combo = new QComboBox(parent);
    combo->setObjectName(QLatin1String(name));
    for (const char16_t* text : texts)
        combo->addItem(QString::fromUtf16(text));
    return combo;
}

// The combo's row for a stored value 0..count-1; a value a file brought from elsewhere shows
// as no choice, and stays stored until the teacher picks one.
int rowOf(QComboBox* combo, qint32 value)
{
    return value >= 0 && value < combo->count() ? int(value) : -1;
}

} // namespace

LabelEditorWindow::LabelEditorWindow(TopicEditor& editor, QWidget* parent)
    : QWidget(parent, Qt::Tool)
    , m_editor(editor)
{
    setObjectName(QStringLiteral("BeschriftungsEditor"));
    setWindowTitle(QStringLiteral("Beschriftungseditor"));

    m_captionPause.setSingleShot(true);
    m_captionPause.setInterval(captionPauseMs);
    connect(&m_captionPause, &QTimer::timeout, this, [this] { applyCaption(false); });
    m_hintTimer.setSingleShot(true);
    m_hintTimer.setInterval(refusalHintMs);

    // The list of all objects, in file order.
    m_list = new QListWidget(this);
    m_list->setObjectName(QStringLiteral("ObjektListe"));
    m_list->setSelectionMode(QAbstractItemView::SingleSelection);
    m_list->setDragDropMode(QAbstractItemView::InternalMove);
    m_list->setDefaultDropAction(Qt::MoveAction);
    m_list->setToolTip(orderTip);
    connect(m_list, &QListWidget::currentRowChanged, this, [this](int row) {
        if (!m_filling)
            selectIndex(row, true);
    });
    connect(m_list->model(), &QAbstractItemModel::rowsMoved, this,
        [this](const QModelIndex&, int start, int, const QModelIndex&, int row) {
            // row is where the item went before it left its old place.
            listRowsMoved(start, row > start ? row - 1 : row);
        });

    const auto button = [this](const QString& text, const char* name) {
        auto* b = new QPushButton(text, this);
        b->setObjectName(QLatin1String(name));
        return b;
    };
    m_upButton = button(QStringLiteral("Nach oben"), "NachObenBtn");
    m_downButton = button(QStringLiteral("Nach unten"), "NachUntenBtn");
    m_upButton->setToolTip(orderTip);
    m_downButton->setToolTip(orderTip);
    connect(m_upButton, &QPushButton::clicked, this, [this] { moveSelected(-1); });
    connect(m_downButton, &QPushButton::clicked, this, [this] { moveSelected(1); });

    m_newButton = button(QStringLiteral("Neu"), "NeuBtn");
    m_newButton->setToolTip(QStringLiteral("Eine neue Beschriftung in der Mitte der Karte"));
    m_duplicateButton = button(QStringLiteral("Duplizieren"), "DuplizierenBtn");
    m_removeButton = button(QStringLiteral("Löschen"), "LoeschenBtn");
    connect(m_newButton, &QPushButton::clicked, this, &LabelEditorWindow::addNew);

    // The keys work anywhere in the window; the text fields keep Del for themselves.
    m_duplicateAction = new QAction(QStringLiteral("Duplizieren"), this);
    m_duplicateAction->setShortcut(QKeySequence(Qt::CTRL | Qt::Key_D));
    m_duplicateAction->setShortcutContext(Qt::WidgetWithChildrenShortcut);
    addAction(m_duplicateAction);
    connect(m_duplicateAction, &QAction::triggered, this, &LabelEditorWindow::duplicateSelected);
    connect(m_duplicateButton, &QPushButton::clicked, m_duplicateAction, &QAction::trigger);
    m_duplicateButton->setToolTip(QStringLiteral("Duplizieren (Strg+D)"));

    m_removeAction = new QAction(QStringLiteral("Löschen"), this);
    m_removeAction->setShortcut(QKeySequence::Delete);
    m_removeAction->setShortcutContext(Qt::WidgetWithChildrenShortcut);
    addAction(m_removeAction);
    connect(m_removeAction, &QAction::triggered, this, &LabelEditorWindow::removeSelected);
    connect(m_removeButton, &QPushButton::clicked, m_removeAction, &QAction::trigger);
    m_removeButton->setToolTip(QStringLiteral("Löschen (Entf)"));

    // Undo and redo answer here as in the main window, which a tool window's keys do not reach.
    // A text field keeps the keys for its own typing until its text is applied.
    QAction* undo = m_editor.undoStack()->createUndoAction(this, QStringLiteral("Rückgängig"));
    undo->setShortcut(QKeySequence(Qt::CTRL | Qt::Key_Z));
    QAction* redo = m_editor.undoStack()->createRedoAction(this, QStringLiteral("Wiederholen"));
    redo->setShortcuts({QKeySequence(Qt::CTRL | Qt::Key_Y), QKeySequence(Qt::CTRL | Qt::SHIFT | Qt::Key_Z)});
    for (QAction* action : {undo, redo}) {
        action->setShortcutContext(Qt::WidgetWithChildrenShortcut);
        addAction(action);
    }

    // The selected object.
    auto* group = new QGroupBox(QStringLiteral("Ausgewähltes Objekt"), this);
    m_fields = group;
    m_kindCombo = new QComboBox(group);
    m_kindCombo->setObjectName(QStringLiteral("TypCombo"));
    for (const KindChoice& k : kindChoices)
        m_kindCombo->addItem(QString::fromUtf16(k.text), k.kind);

    m_captionEdit = new StorableTextEdit(group);
    m_captionEdit->setObjectName(QStringLiteral("TextMemo"));
    m_captionEdit->setMinimumHeight(60);
    m_captionHint = new QLabel(group);
    m_captionHint->setObjectName(QStringLiteral("TextHinweis"));
    m_captionHint->setWordWrap(true);
    m_captionHint->setTextFormat(Qt::PlainText);
    m_refusalHint = new QLabel(group);
    m_refusalHint->setObjectName(QStringLiteral("ZeichenHinweis"));
    m_refusalHint->setWordWrap(true);
    m_refusalHint->setTextFormat(Qt::PlainText);
    m_refusalHint->setStyleSheet(QStringLiteral("color: #b00000;"));
    m_refusalHint->hide();
    connect(&m_hintTimer, &QTimer::timeout, m_refusalHint, &QLabel::hide);

    m_fileButton = new QPushButton(QStringLiteral("Datei wählen..."), group);
    m_fileButton->setObjectName(QStringLiteral("DateiBtn"));
    connect(m_fileButton, &QPushButton::clicked, this, &LabelEditorWindow::chooseLinkFile);

    m_previewArea = new QScrollArea(group);
    m_previewArea->setObjectName(QStringLiteral("Vorschau"));
    m_previewArea->setMinimumHeight(120);
    // The text wraps at the preview's width, so that width must not change with the text's
    // height: the vertical scroll bar is always there and no horizontal one is needed.
    m_previewArea->setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOn);
    m_previewArea->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    m_preview = new QLabel;
    m_preview->setObjectName(QStringLiteral("VorschauBild"));
    m_preview->setAlignment(Qt::AlignLeft | Qt::AlignTop);
    m_previewArea->setWidget(m_preview);
    m_previewArea->setWidgetResizable(false);

    m_placementCombo = choice(group, "KAusrCombo", {u"automatisch", u"rechts", u"oben", u"links", u"unten"});
    m_placementCombo->setToolTip(QStringLiteral("Wo der Kasten neben dem Punkt steht"));
    m_alignmentCombo = choice(group, "TAusrCombo", {u"links", u"zentriert", u"rechts"});
    m_layerCombo = choice(group, "EbeneCombo", {u"Illustration", u"Beschriftung", u"Infopunkte"});
    m_layerCombo->setToolTip(QStringLiteral("Jede Ebene lässt sich auf der Karte ein- und ausblenden; "
                                            "die Ebene „Infopunkte“ zeigt das Quiz nicht."));
    m_leaderLineCheck = new QCheckBox(QStringLiteral("Hinweislinie"), group);
    m_leaderLineCheck->setObjectName(QStringLiteral("SlineCheck"));
    m_leaderLineCheck->setToolTip(QStringLiteral("Eine Linie vom Punkt zum Kasten"));
    m_sizeSpin = new QSpinBox(group);
    m_sizeSpin->setObjectName(QStringLiteral("FsizeSpin"));
    m_sizeSpin->setRange(smallestSizeStep, largestSizeStep);
    m_sizeSpin->setToolTip(QStringLiteral("0 ist die normale Größe; jede Stufe macht die Schrift etwas größer"));
    // A typed number applies when it is complete, not once per digit.
    m_sizeSpin->setKeyboardTracking(false);

    m_lockHint = new QLabel(this);
    m_lockHint->setObjectName(QStringLiteral("GesperrtHinweis"));
    m_lockHint->setWordWrap(true);
    m_lockHint->hide();

    auto* captionColumn = new QVBoxLayout;
    captionColumn->setContentsMargins(0, 0, 0, 0);
    captionColumn->addWidget(m_captionEdit);
    captionColumn->addWidget(m_captionHint);
    captionColumn->addWidget(m_refusalHint);
    captionColumn->addWidget(m_fileButton, 0, Qt::AlignLeft);
    captionColumn->addWidget(m_previewArea);

    auto* form = new QFormLayout(group);
    form->addRow(QStringLiteral("&Art:"), m_kindCombo);
    // A row holding a layout gets no buddy of its own: the label needs one for its key.
    auto* captionLabel = new QLabel(QStringLiteral("&Text:"), group);
    captionLabel->setBuddy(m_captionEdit);
    form->addRow(captionLabel, captionColumn);
    form->addRow(QStringLiteral("&Kastenlage:"), m_placementCombo);
    form->addRow(QStringLiteral("Text&ausrichtung:"), m_alignmentCombo);
    form->addRow(QStringLiteral("&Ebene:"), m_layerCombo);
    form->addRow(QString(), m_leaderLineCheck);
    form->addRow(QStringLiteral("&Schriftgröße:"), m_sizeSpin);

    auto* orderRow = new QHBoxLayout;
    orderRow->addWidget(m_upButton);
    orderRow->addWidget(m_downButton);
    auto* actionRow = new QHBoxLayout;
    actionRow->addWidget(m_newButton);
    actionRow->addWidget(m_duplicateButton);
    actionRow->addWidget(m_removeButton);

    auto* layout = new QVBoxLayout(this);
    layout->addWidget(m_list, 1);
    layout->addLayout(orderRow);
    layout->addLayout(actionRow);
    layout->addWidget(m_lockHint);
    layout->addWidget(group);
    resize(340, 640);

    connect(m_kindCombo, &QComboBox::currentIndexChanged, this, [this](int row) {
        if (row >= 0)
            applyKind(m_kindCombo->itemData(row).toInt());
    });
    connect(m_placementCombo, &QComboBox::currentIndexChanged, this, [this](int row) {
        if (row >= 0)
            applyProperty([](ObjectProperties& p, int v) { p.KAusr = v; }, row);
    });
    connect(m_alignmentCombo, &QComboBox::currentIndexChanged, this, [this](int row) {
        if (row >= 0)
            applyProperty([](ObjectProperties& p, int v) { p.TAusr = v; }, row);
    });
    connect(m_layerCombo, &QComboBox::currentIndexChanged, this, [this](int row) {
        if (row >= 0)
            applyProperty([](ObjectProperties& p, int v) { p.Ebene = v; }, row);
    });
    connect(m_leaderLineCheck, &QCheckBox::toggled, this,
        [this](bool on) { applyProperty([](ObjectProperties& p, int v) { p.Sline = v; }, on ? 1 : 0); });
    connect(m_sizeSpin, &QSpinBox::valueChanged, this,
        [this](int value) { applyProperty([](ObjectProperties& p, int v) { p.Fsize = v; }, value); });

    connect(m_captionEdit, &QPlainTextEdit::textChanged, this, [this] {
        if (m_filling)
            return;
        m_captionDirty = true;
        m_captionPause.start();
        updatePreview();
    });
    connect(m_captionEdit, &StorableTextEdit::editingFinished, this, [this] {
        applyCaption(true);
        // Out of the field, the caption shows as it is stored: what the file will give back.
        if (m_editor.canEdit(m_selected))
            showCaption(true);
    });
    connect(m_captionEdit, &StorableTextEdit::refused, this, &LabelEditorWindow::showRefusal);

    connect(&m_editor, &TopicEditor::objectChanged, this, &LabelEditorWindow::objectChanged);
    connect(&m_editor, &TopicEditor::objectInserted, this, &LabelEditorWindow::objectInserted);
    connect(&m_editor, &TopicEditor::objectRemoved, this, &LabelEditorWindow::objectRemoved);
    connect(&m_editor, &TopicEditor::objectReordered, this, &LabelEditorWindow::objectReordered);
    connect(&m_editor, &TopicEditor::documentReset, this, &LabelEditorWindow::documentReset);
    connect(&m_editor, &TopicEditor::questionsReplaced, this, &LabelEditorWindow::documentReset);

    buildList();
    showSelected(true);
}

LabelEditorWindow::~LabelEditorWindow()
{
    // A caption typed just before the window goes is the teacher's work too.
    applyPendingEdits();
    // QWidget's destructor closes the window, which takes the focus from the caption field and
    // may move the list's current row; by then this window's members are gone, so nothing may
    // reach its handlers any more.
    m_editor.disconnect(this);
    m_list->model()->disconnect(this);
    const QList<QObject*> children = findChildren<QObject*>();
    for (QObject* child : children)
        child->disconnect(this);
}

void LabelEditorWindow::setSelectedObject(int index)
{
    selectIndex(index, true);
}

void LabelEditorWindow::applyPendingEdits()
{
    if (m_captionDirty)
        applyCaption(true);
}

void LabelEditorWindow::hideEvent(QHideEvent* event)
{
    applyPendingEdits();
    QWidget::hideEvent(event);
}

void LabelEditorWindow::resizeEvent(QResizeEvent* event)
{
    QWidget::resizeEvent(event);
    updatePreview();
}

void LabelEditorWindow::buildList()
{
    m_filling = true;
    m_list->clear();
    for (qsizetype i = 0; i < m_editor.document().objects.size(); ++i) {
        m_list->addItem(QString());
        updateListItem(int(i));
    }
    m_list->setCurrentRow(m_selected);
    m_filling = false;
}

void LabelEditorWindow::updateListItem(int index)
{
    QListWidgetItem* item = m_list->item(index);
    if (!item || index >= m_editor.document().objects.size())
        return;
    const DocObject& object = m_editor.document().objects.at(index);
    const QString caption = firstLine(object.Cap);
    QString text = QStringLiteral("%1: %2").arg(
        kindName(object.Typ), caption.isEmpty() ? QStringLiteral("(ohne Text)") : caption);
    if (isLockedObject(object)) {
        text += QStringLiteral("  (gesperrt)");
        item->setForeground(palette().color(QPalette::Disabled, QPalette::Text));
        item->setToolTip(lockReason(object.Typ));
        item->setFlags(Qt::ItemIsSelectable | Qt::ItemIsEnabled);
    } else {
        item->setData(Qt::ForegroundRole, QVariant());
        item->setToolTip(orderTip);
        item->setFlags(Qt::ItemIsSelectable | Qt::ItemIsEnabled | Qt::ItemIsDragEnabled);
    }
    item->setText(text);
}

void LabelEditorWindow::selectIndex(int index, bool applyPending)
{
    if (index < 0 || index >= m_editor.document().objects.size())
        index = -1;
    if (index == m_selected) {
        m_filling = true;
        m_list->setCurrentRow(index);
        m_filling = false;
        return;
    }
    if (applyPending)
        applyPendingEdits();
    m_selected = index;
    m_filling = true;
    m_list->setCurrentRow(index);
    m_filling = false;
    m_refusalHint->hide();
    showSelected(true);
    emit selectionChanged(index);
}

void LabelEditorWindow::showSelected(bool otherObject)
{
    const QList<DocObject>& objects = m_editor.document().objects;
    const bool exists = m_selected >= 0 && m_selected < objects.size();
    const DocObject shown = exists ? objects.at(m_selected) : DocObject();

    m_filling = true;
    m_kindCombo->setCurrentIndex(exists ? m_kindCombo->findData(shown.Typ) : -1);
    m_placementCombo->setCurrentIndex(exists ? rowOf(m_placementCombo, shown.KAusr) : -1);
    m_alignmentCombo->setCurrentIndex(exists ? rowOf(m_alignmentCombo, shown.TAusr) : -1);
    m_layerCombo->setCurrentIndex(exists ? rowOf(m_layerCombo, shown.Ebene) : -1);
    m_leaderLineCheck->setChecked(exists && shown.Sline == 1);
    m_sizeSpin->setValue(exists ? shown.Fsize : 0);
    m_filling = false;
    showCaption(otherObject);
    updateControls();
}

void LabelEditorWindow::showCaption(bool replace)
{
    const QList<DocObject>& objects = m_editor.document().objects;
    const QString caption = m_selected >= 0 && m_selected < objects.size() ? objects.at(m_selected).Cap : QString();
    // The window's own change leaves the field as the teacher typed it (trimming it during a
    // pause would eat the blank just typed); a change from elsewhere (undo) replaces it.
    if (!replace && caption == m_shownCaption)
        return;
    m_captionPause.stop();
    m_captionDirty = false;
    m_shownCaption = caption;
    if (m_captionEdit->toPlainText() != shownText(caption)) {
        m_filling = true;
        m_captionEdit->setPlainText(shownText(caption));
        m_filling = false;
    }
    updatePreview();
}

void LabelEditorWindow::updateControls()
{
    const QList<DocObject>& objects = m_editor.document().objects;
    const bool exists = m_selected >= 0 && m_selected < objects.size();
    const bool editable = m_editor.canEdit(m_selected);
    const qint32 kind = exists ? objects.at(m_selected).Typ : ObjectKind::Label;

    m_fields->setEnabled(editable);
    m_lockHint->setVisible(exists && !editable);
    if (exists && !editable)
        m_lockHint->setText(QStringLiteral("Gesperrt: ") + lockReason(kind));

    m_fileButton->setVisible(kind == ObjectKind::WebLink || kind == ObjectKind::DocumentLink);
    m_previewArea->setVisible(kind == ObjectKind::InfoPoint);
    switch (kind) {
    case ObjectKind::InfoPoint:
        m_captionHint->setText(QStringLiteral("Infotext mit Auszeichnungen: <B>fett</B>, <I>kursiv</I>, "
                                              "<U>unterstrichen</U>, <@LINIE>, <@POSX=50%>, <@REB=05>."));
        break;
    case ObjectKind::WebLink:
        m_captionHint->setText(QStringLiteral("Eine Datei (neben dem Thema oder mit vollem Pfad) oder eine "
                                              "Internetadresse."));
        break;
    case ObjectKind::DocumentLink:
        m_captionHint->setText(QStringLiteral("Ein Thema (.zep) neben diesem Thema oder ein Themenordner mit "
                                              "„\\“ am Ende."));
        break;
    default:
        m_captionHint->setText(QStringLiteral("Die Karte zeigt den Text, wie er hier steht. Ein „&“ unterstreicht "
                                              "den folgenden Buchstaben, „&&“ zeigt ein „&“."));
        break;
    }

    const qsizetype count = objects.size();
    m_upButton->setEnabled(editable && m_selected > 0);
    m_downButton->setEnabled(editable && m_selected + 1 < count);
    m_duplicateAction->setEnabled(editable);
    m_removeAction->setEnabled(editable);
    m_duplicateButton->setEnabled(editable);
    m_removeButton->setEnabled(editable);
    updatePreview();
}

void LabelEditorWindow::updatePreview()
{
    if (m_previewArea->isHidden())
        return;
    // The info text window draws the same lines with the same routine, so what shows here is
    // what a pupil will see, wrapped at the preview's width.
    const QStringList lines = m_captionEdit->toPlainText().split(u'\n');
    const int width = std::max(60, m_previewArea->viewport()->width());
    const QColor background = m_previewArea->viewport()->palette().color(QPalette::Window);
    const QImage image = renderLinesToBitmap(lines, width, 14, background);
    m_preview->setPixmap(QPixmap::fromImage(image));
    m_preview->resize(image.size());
}

void LabelEditorWindow::showRefusal(const QList<char32_t>& characters)
{
    showHint(unstorableHint(characters));
}

void LabelEditorWindow::showHint(const QString& text)
{
    m_refusalHint->setText(text);
    m_refusalHint->show();
    m_hintTimer.start();
}

void LabelEditorWindow::applyProperty(void (*change)(ObjectProperties&, int), int value)
{
    if (m_filling || !m_editor.canEdit(m_selected))
        return;
    applyPendingEdits();
    // Everything but the changed property comes from the stored object, so a value the choice
    // cannot show (one a file brought) stays as it is.
    ObjectProperties properties = ObjectProperties::of(m_editor.document().objects.at(m_selected));
    change(properties, value);
    if (!m_editor.editObject(m_selected, properties))
        showSelected(false);
}

void LabelEditorWindow::applyKind(int kind)
{
    if (m_filling || !m_editor.canEdit(m_selected))
        return;
    applyPendingEdits();
    const DocObject& object = m_editor.document().objects.at(m_selected);
    ObjectProperties properties = ObjectProperties::of(object);
    properties.Typ = kind;
    // An object on its kind's usual layer moves to the new kind's: an info point or link left on
    // the labels layer would show up in the quiz, which hides only the info-points layer.
    if (object.Ebene == defaultLayer(object.Typ))
        properties.Ebene = defaultLayer(kind);
    if (!m_editor.editObject(m_selected, properties))
        showSelected(false);
}

void LabelEditorWindow::applyCaption(bool finished)
{
    m_captionPause.stop();
    if (!m_captionDirty || !m_editor.canEdit(m_selected)) {
        m_captionDirty = false;
        return;
    }
    const DocObject& object = m_editor.document().objects.at(m_selected);
    const QString text = m_captionEdit->toPlainText();
    const QString stored = storedCaption(text);
    if (stored.isEmpty()) {
        // Without text a label has no box on the card, where it can be neither seen nor clicked,
        // and it would be an empty quiz item. During a pause the field is only on its way to a
        // new text; once the teacher is done with it, the old text comes back.
        if (finished) {
            showCaption(true);
            showHint(QStringLiteral("Ein Objekt braucht einen Text. Soll es weg, wählen Sie „Löschen“."));
        }
        return;
    }
    m_captionDirty = false;
    if (stored == object.Cap)
        return;
    ObjectProperties properties = ObjectProperties::of(object);
    properties.Cap = text;
    const QString before = m_shownCaption;
    // The editor tells of the change while it makes it; by then the field must count as shown.
    m_shownCaption = stored;
    if (!m_editor.editObject(m_selected, properties)) {
        m_shownCaption = before;
        const QList<char32_t> refused = unstorableCharacters(text);
        if (!refused.isEmpty())
            showRefusal(refused);
    }
}

void LabelEditorWindow::chooseLinkFile()
{
    if (!m_editor.canEdit(m_selected))
        return;
    applyPendingEdits();
    const qint32 kind = m_editor.document().objects.at(m_selected).Typ;
    const QString documentPath = m_editor.document().filePath;
    FileDialogRequest request;
    if (kind == ObjectKind::DocumentLink) {
        request.title = QStringLiteral("Thema für den Dokument-Link wählen");
        request.filter = QStringLiteral("Themen (*.zep)|*.zep|Alle Dateien (*.*)|*.*");
        request.defaultSuffix = QStringLiteral("zep");
    } else {
        request.title = QStringLiteral("Datei für den Link wählen");
        request.filter = QStringLiteral("Alle Dateien (*.*)|*.*");
    }
    if (!documentPath.isEmpty())
        request.folder = QFileInfo(documentPath).absolutePath();
    const QString chosen = dialogService().openFileName(this, request);
    if (chosen.isEmpty() || !m_editor.canEdit(m_selected))
        return;

    const QString caption = linkCaption(chosen, documentPath);
    const QList<char32_t> refused = unstorableCharacters(caption);
    if (!refused.isEmpty()) {
        showRefusal(refused);
        return;
    }
    ObjectProperties properties = ObjectProperties::of(m_editor.document().objects.at(m_selected));
    properties.Cap = caption;
    m_editor.editObject(m_selected, properties);
}

void LabelEditorWindow::addNew()
{
    applyPendingEdits();
    const int index = m_editor.addLabel(cardCentre);
    if (index < 0)
        return;
    selectIndex(index, false);
    // The new label is to be named: its text stands selected, ready to be typed over.
    m_captionEdit->setFocus();
    m_captionEdit->selectAll();
}

void LabelEditorWindow::duplicateSelected()
{
    applyPendingEdits();
    const int index = m_editor.duplicateObject(m_selected);
    if (index >= 0)
        selectIndex(index, false);
}

void LabelEditorWindow::removeSelected()
{
    applyPendingEdits();
    // The list and the selection follow through objectRemoved.
    m_editor.removeObject(m_selected);
}

void LabelEditorWindow::moveSelected(int step)
{
    applyPendingEdits();
    m_editor.reorderObject(m_selected, m_selected + step);
}

void LabelEditorWindow::listRowsMoved(int from, int to)
{
    if (m_filling)
        return;
    // The list has already moved the item; the document follows, or the list is put back.
    m_listMoving = true;
    const bool moved = m_editor.reorderObject(from, to);
    m_listMoving = false;
    if (!moved) {
        // Not inside the list's own move: it still works on its rows.
        QMetaObject::invokeMethod(
            this, [this] { buildList(); }, Qt::QueuedConnection);
    }
}

void LabelEditorWindow::objectChanged(int index)
{
    updateListItem(index);
    if (index == m_selected)
        showSelected(false);
}

void LabelEditorWindow::objectInserted(int index)
{
    m_filling = true;
    m_list->insertItem(index, QString());
    updateListItem(index);
    m_filling = false;
    if (m_selected >= index) {
        // The selection stays on its object, which now stands one further down.
        ++m_selected;
        m_filling = true;
        m_list->setCurrentRow(m_selected);
        m_filling = false;
        emit selectionChanged(m_selected);
    }
    updateControls();
}

void LabelEditorWindow::objectRemoved(int index)
{
    m_filling = true;
    delete m_list->takeItem(index);
    m_filling = false;
    if (m_selected == index) {
        // The object being edited is gone, with any caption still being typed for it; the one
        // that took its place is selected, or the new last one.
        m_captionPause.stop();
        m_captionDirty = false;
        const int count = int(m_editor.document().objects.size());
        const int next = index < count ? index : count - 1;
        m_selected = next;
        m_filling = true;
        m_list->setCurrentRow(next);
        m_filling = false;
        m_refusalHint->hide();
        showSelected(true);
        emit selectionChanged(next);
        return;
    }
    if (m_selected > index) {
        --m_selected;
        m_filling = true;
        m_list->setCurrentRow(m_selected);
        m_filling = false;
        emit selectionChanged(m_selected);
    }
    updateControls();
}

void LabelEditorWindow::objectReordered(int from, int to)
{
    if (!m_listMoving) {
        m_filling = true;
        QListWidgetItem* item = m_list->takeItem(from);
        m_list->insertItem(to, item);
        m_filling = false;
    }
    int selected = m_selected;
    if (m_selected == from)
        selected = to;
    else if (from < m_selected && m_selected <= to)
        --selected;
    else if (to <= m_selected && m_selected < from)
        ++selected;
    m_filling = true;
    m_list->setCurrentRow(selected);
    m_filling = false;
    if (selected != m_selected) {
        m_selected = selected;
        emit selectionChanged(selected);
    }
    updateControls();
}

void LabelEditorWindow::documentReset()
{
    m_captionPause.stop();
    m_captionDirty = false;
    const bool hadSelection = m_selected != -1;
    m_selected = -1;
    buildList();
    showSelected(true);
    if (hadSelection)
        emit selectionChanged(-1);
}
