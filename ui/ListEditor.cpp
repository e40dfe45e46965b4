#include "ListEditor.h"

#include "Scan.h"
#include "Services.h"
#include "SettingsStore.h"

#include <QAction>
#include <QCloseEvent>
#include <QDir>
#include <QFile>
#include <QGuiApplication>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QItemSelectionModel>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QScreen>
#include <QSortFilterProxyModel>
#include <QTableView>
#include <QUndoCommand>
#include <QVBoxLayout>

#include <algorithm>
#include <utility>

namespace {

// One line changed, added or removed: what Ctrl+Z takes back and Ctrl+Shift+Z brings again.
class LineChange : public QUndoCommand {
public:
    LineChange(CListEditModel &model, int row, std::optional<ListLine> before,
               std::optional<ListLine> after)
        : m_model(model)
        , m_row(row)
        , m_before(std::move(before))
        , m_after(std::move(after))
    {
    }
    void redo() override { Apply(m_before, m_after); }
    void undo() override { Apply(m_after, m_before); }

private:
    void Apply(const std::optional<ListLine> &from, const std::optional<ListLine> &to)
    {
        if (from && to)
            m_model.ReplaceLine(m_row, *to);
        else if (to)
            m_model.InsertLine(m_row, *to);
        else
            m_model.RemoveLine(m_row);
    }

    CListEditModel &m_model;
    int m_row;
    std::optional<ListLine> m_before;
    std::optional<ListLine> m_after;
};

// The file as it is on disk: nothing where there is none yet; `why` says what kept it unread.
QByteArray ReadOnDisk(const QString &path, QString *why)
{
    QFile file(path);
    if (!file.exists())
        return {};
    if (!file.open(QIODevice::ReadOnly)) {
        *why = file.errorString();
        return {};
    }
    return file.readAll();
}

} // namespace

CListEditModel::CListEditModel(QUndoStack &undo, QObject *parent)
    : QAbstractTableModel(parent)
    , m_undo(undo)
{
}

void CListEditModel::SetLines(std::vector<ListLine> lines)
{
    beginResetModel();
    m_lines = std::move(lines);
    endResetModel();
}

void CListEditModel::SetToday(std::chrono::sys_days today, LeapDay leapDay)
{
    m_today = today;
    m_leapDay = leapDay;
    m_next.clear();
    if (!m_lines.empty())
        emit dataChanged(index(0, NextColumn), index(rowCount() - 1, NextColumn));
}

void CListEditModel::ReplaceLine(int row, const ListLine &line)
{
    m_lines[static_cast<std::size_t>(row)] = line;
    emit dataChanged(index(row, 0), index(row, ColumnCount - 1));
}

void CListEditModel::InsertLine(int row, const ListLine &line)
{
    beginInsertRows({}, row, row);
    m_lines.insert(m_lines.begin() + row, line);
    endInsertRows();
}

void CListEditModel::RemoveLine(int row)
{
    beginRemoveRows({}, row, row);
    m_lines.erase(m_lines.begin() + row);
    endRemoveRows();
}

int CListEditModel::rowCount(const QModelIndex &parent) const
{
    return parent.isValid() ? 0 : static_cast<int>(m_lines.size());
}

int CListEditModel::columnCount(const QModelIndex &parent) const
{
    return parent.isValid() ? 0 : ColumnCount;
}

QString CListEditModel::Next(const QString &line) const
{
    const auto known = m_next.constFind(line);
    if (known != m_next.constEnd())
        return *known;
    QString next = NextJubilee(line, m_today, m_leapDay);
    m_next.insert(line, next);
    return next;
}

QVariant CListEditModel::data(const QModelIndex &index, int role) const
{
    if (!index.isValid())
        return {};
    const ListLine &line = m_lines[static_cast<std::size_t>(index.row())];
    const bool text = role == Qt::DisplayRole || role == Qt::ToolTipRole;
    if (index.column() == NextColumn) {
        if (!text && role != Qt::ForegroundRole)
            return {};
        // Worked out only for the roles that show it: a view asks for many more.
        const QString problem = EntryProblem(line.text);
        if (role == Qt::ForegroundRole)
            return problem.isEmpty() ? QVariant() : QColor(Qt::red);
        return problem.isEmpty() ? Next(line.text)
                                 : QStringLiteral("Kein gültiger Eintrag: %1").arg(problem);
    }
    if (role == Qt::ForegroundRole && index.column() == DateColumn)
        return EntryProblem(line.text).isEmpty() ? QVariant() : QColor(Qt::red);
    if (role != Qt::DisplayRole && role != Qt::EditRole)
        return {};
    const EntryFields fields = FieldsOf(line.text);
    switch (index.column()) {
    case DateColumn:
        return fields.date;
    case BeforeColumn:
        return fields.before;
    default:
        return fields.after;
    }
}

QVariant CListEditModel::headerData(int section, Qt::Orientation orientation, int role) const
{
    if (role != Qt::DisplayRole)
        return {};
    if (orientation == Qt::Vertical)
        return section + 1; // the line's number, as the reports name it
    switch (section) {
    case DateColumn:
        return QStringLiteral("Datum");
    case BeforeColumn:
        return QStringLiteral("Text vor der Zahl");
    case AfterColumn:
        return QStringLiteral("Text nach der Zahl");
    default:
        return QStringLiteral("Nächstes Jubiläum");
    }
}

Qt::ItemFlags CListEditModel::flags(const QModelIndex &index) const
{
    Qt::ItemFlags flags = QAbstractTableModel::flags(index);
    if (index.column() != NextColumn)
        flags |= Qt::ItemIsEditable;
    return flags;
}

bool CListEditModel::setData(const QModelIndex &index, const QVariant &value, int role)
{
    if (role != Qt::EditRole || !index.isValid() || index.column() == NextColumn)
        return false;
    const ListLine &old = m_lines[static_cast<std::size_t>(index.row())];
    EntryFields fields = FieldsOf(old.text);
    QString text = value.toString();
    text.remove(QLatin1Char('\n')).remove(QLatin1Char('\r')); // one line stays one line
    QString *field = index.column() == DateColumn     ? &fields.date
                     : index.column() == BeforeColumn ? &fields.before
                                                      : &fields.after;
    if (*field == text)
        return false;
    *field = text;
    ListLine line = old;
    line.text = LineOf(fields);
    line.changed = true;
    m_undo.push(new LineChange(*this, index.row(), old, line));
    return true;
}

CListEditor::CListEditor(const QString &path, CodePage codePage, LeapDay leapDay,
                         MessageBoxService &boxes, QWidget *parent)
    : QWidget(parent, Qt::Window)
    , m_path(path)
    , m_codePage(codePage)
    , m_leapDay(leapDay)
    , m_boxes(boxes)
    , m_model(new CListEditModel(m_undo, this))
    , m_filter(new QSortFilterProxyModel(this))
    , m_table(new QTableView(this))
    , m_search(new QLineEdit(this))
{
    setAttribute(Qt::WA_DeleteOnClose);
    m_filter->setSourceModel(m_model);
    m_filter->setFilterKeyColumn(-1);
    m_filter->setFilterCaseSensitivity(Qt::CaseInsensitive);
    m_table->setModel(m_filter);
    m_table->setAccessibleName(QStringLiteral("Einträge der Datumsliste"));
    m_table->setSelectionBehavior(QAbstractItemView::SelectRows);
    m_table->setEditTriggers(QAbstractItemView::DoubleClicked | QAbstractItemView::EditKeyPressed |
                             QAbstractItemView::AnyKeyPressed);
    m_table->horizontalHeader()->setStretchLastSection(true);
    // Columns as wide as their headings and a usual text; rows one line high.
    const QFontMetrics metrics = m_table->fontMetrics();
    const auto width = [this, &metrics](int column, const QString &sample) {
        const QString heading =
            m_model->headerData(column, Qt::Horizontal, Qt::DisplayRole).toString();
        const int padding = metrics.averageCharWidth() * 4;
        m_table->setColumnWidth(column, std::max(metrics.horizontalAdvance(heading),
                                                 metrics.horizontalAdvance(sample)) +
                                            padding);
    };
    width(CListEditModel::DateColumn, QStringLiteral("00.00.0000"));
    width(CListEditModel::BeforeColumn, QStringLiteral("Schaltjahreskind Jörg wird"));
    width(CListEditModel::AfterColumn, QStringLiteral("Mitglied"));
    m_table->setWordWrap(false);
    m_table->verticalHeader()->setDefaultSectionSize(metrics.height() * 3 / 2);
    connect(m_search, &QLineEdit::textChanged, m_filter,
            &QSortFilterProxyModel::setFilterFixedString);
    auto *searchLabel = new QLabel(QStringLiteral("Su&chen:"), this);
    searchLabel->setBuddy(m_search);

    auto *add = new QPushButton(QStringLiteral("&Neuer Eintrag"), this);
    auto *remove = new QPushButton(QStringLiteral("&Entfernen"), this);
    auto *save = new QPushButton(QStringLiteral("&Speichern"), this);
    auto *close = new QPushButton(QStringLiteral("Schl&ießen"), this);
    for (QPushButton *button : {add, remove, save, close})
        button->setAutoDefault(false);
    connect(add, &QPushButton::clicked, this, &CListEditor::AddEntry);
    connect(remove, &QPushButton::clicked, this, &CListEditor::RemoveSelected);
    connect(save, &QPushButton::clicked, this, &CListEditor::Save);
    connect(close, &QPushButton::clicked, this, &QWidget::close);
    add->setAccessibleDescription(QStringLiteral("Strg+N"));
    remove->setAccessibleDescription(QStringLiteral("Die gewählten Einträge entfernen (Entf)"));
    save->setAccessibleDescription(QStringLiteral("Strg+S"));

    // The keys work wherever the focus is in the window.
    auto *addKey = new QAction(this);
    addKey->setShortcut(QKeySequence::New);
    connect(addKey, &QAction::triggered, this, &CListEditor::AddEntry);
    auto *saveKey = new QAction(this);
    saveKey->setShortcut(QKeySequence::Save);
    connect(saveKey, &QAction::triggered, this, &CListEditor::Save);
    auto *searchKey = new QAction(this);
    searchKey->setShortcut(QKeySequence::Find);
    connect(searchKey, &QAction::triggered, m_search, qOverload<>(&QWidget::setFocus));
    QAction *undo = m_undo.createUndoAction(this);
    undo->setShortcut(QKeySequence::Undo);
    QAction *redo = m_undo.createRedoAction(this);
    redo->setShortcuts({QKeySequence(Qt::CTRL | Qt::SHIFT | Qt::Key_Z), QKeySequence::Redo});
    addActions({addKey, saveKey, searchKey, undo, redo});
    // Delete removes rows where the table has the focus; in a field it deletes a character.
    auto *removeKey = new QAction(m_table);
    removeKey->setShortcut(QKeySequence::Delete);
    removeKey->setShortcutContext(Qt::WidgetShortcut);
    connect(removeKey, &QAction::triggered, this, &CListEditor::RemoveSelected);
    m_table->addAction(removeKey);
    connect(&m_undo, &QUndoStack::cleanChanged, this, &CListEditor::UpdateTitle);

    auto *searchRow = new QHBoxLayout;
    searchRow->addWidget(searchLabel);
    searchRow->addWidget(m_search);
    auto *buttons = new QHBoxLayout;
    for (QPushButton *button : {add, remove, save})
        buttons->addWidget(button);
    buttons->addStretch();
    buttons->addWidget(close);
    auto *layout = new QVBoxLayout(this);
    layout->addLayout(searchRow);
    layout->addWidget(m_table);
    auto *keys = new QLabel(QStringLiteral("Strg+N: neuer Eintrag · Tab: nächstes Feld · Eingabe: "
                                           "fertig · Entf: entfernen · Strg+Z: rückgängig · "
                                           "Strg+S: speichern"),
                            this);
    keys->setWordWrap(true);
    layout->addWidget(keys);
    layout->addLayout(buttons);
    setTabOrder(m_table, add);
    // Room for a usual list, within the screen also at a large font.
    int wide = metrics.horizontalAdvance(
                   QStringLiteral("29.05.2026: Schaltjahreskind Jörg wird 555 Monate alt!")) +
               metrics.averageCharWidth() * 12; // the line numbers and the scroll bar
    for (int column = 0; column < CListEditModel::NextColumn; ++column)
        wide += m_table->columnWidth(column);
    QSize size(wide, metrics.height() * 30);
    if (const QScreen *screen = QGuiApplication::primaryScreen())
        size = size.boundedTo(screen->availableGeometry().size() * 9 / 10);
    resize(size);
    SetToday(std::chrono::floor<std::chrono::days>(std::chrono::system_clock::now()));
    UpdateTitle();
}

CListEditor::~CListEditor()
{
    // A field still open hands its text over as the table goes: while the stack lives.
    m_undo.blockSignals(true);
    delete m_table;
}

bool CListEditor::Load()
{
    QString why;
    const QByteArray bytes = ReadOnDisk(m_path, &why);
    if (!why.isEmpty()) {
        m_boxes.Show(this, QStringLiteral("Die Datumsliste %1 lässt sich nicht lesen (%2).")
                               .arg(QDir::toNativeSeparators(m_path), why));
        return false;
    }
    auto document = ListDocument::FromBytes(bytes, m_codePage);
    if (const auto *problem = std::get_if<QString>(&document)) {
        m_boxes.Show(this, QStringLiteral("%1 lässt sich hier nicht bearbeiten: %2")
                               .arg(QDir::toNativeSeparators(m_path), *problem));
        return false;
    }
    m_document = std::get<ListDocument>(std::move(document));
    m_model->SetLines(m_document.Lines());
    m_undo.clear();
    m_table->setFocus();
    if (m_model->rowCount() > 0)
        m_table->selectRow(0);
    UpdateTitle();
    return true;
}

void CListEditor::SelectLine(const QString &line)
{
    const QString wanted = LineOf(FieldsOf(line));
    const std::vector<ListLine> &lines = m_model->Lines();
    for (std::size_t row = 0; row < lines.size(); ++row) {
        if (LineOf(FieldsOf(lines[row].text)) == wanted) {
            m_search->clear();
            m_table->selectRow(static_cast<int>(row));
            m_table->scrollTo(m_filter->mapFromSource(m_model->index(static_cast<int>(row), 0)));
            return;
        }
    }
}

void CListEditor::SetToday(std::chrono::sys_days today)
{
    m_model->SetToday(today, m_leapDay);
}

int CListEditor::SourceRow(int viewRow) const
{
    return m_filter->mapToSource(m_filter->index(viewRow, 0)).row();
}

void CListEditor::AddEntry()
{
    m_search->clear(); // the new row must be seen
    ListLine line;
    line.text = LineOf({});
    const int row = m_model->rowCount();
    m_undo.push(new LineChange(*m_model, row, std::nullopt, line));
    const QModelIndex date = m_filter->mapFromSource(m_model->index(row, 0));
    m_table->setFocus();
    m_table->setCurrentIndex(date);
    m_table->edit(date);
}

void CListEditor::RemoveSelected()
{
    std::vector<int> rows;
    for (const QModelIndex &index : m_table->selectionModel()->selectedRows())
        rows.push_back(SourceRow(index.row()));
    if (rows.empty())
        return;
    std::sort(rows.rbegin(), rows.rend()); // from the end: the rows before keep their places
    m_undo.beginMacro(QStringLiteral("Entfernen"));
    for (const int row : rows)
        m_undo.push(new LineChange(*m_model, row, m_model->Lines()[static_cast<std::size_t>(row)],
                                   std::nullopt));
    m_undo.endMacro();
}

bool CListEditor::Save()
{
    // What is being typed counts: the field's editor hands its text to the model first.
    m_table->setFocus();
    const std::vector<ListLine> &lines = m_model->Lines();
    for (std::size_t row = 0; row < lines.size(); ++row) {
        const QString problem = EntryProblem(lines[row].text);
        // A line may stay no entry only if it was none: a new or good line must not become
        // a bad one by a slip.
        if (!problem.isEmpty() && lines[row].changed && !lines[row].wasBad) {
            m_search->clear();
            m_table->selectRow(static_cast<int>(row));
            m_boxes.Show(this, QStringLiteral("Zeile %1 ist kein gültiger Eintrag (%2). Bitte "
                                              "korrigieren oder entfernen; gespeichert ist "
                                              "noch nichts.")
                                   .arg(row + 1)
                                   .arg(problem));
            return false;
        }
    }
    QString why;
    const QByteArray onDisk = ReadOnDisk(m_path, &why);
    if (!why.isEmpty()) {
        m_boxes.Show(this, QStringLiteral("Die Datumsliste %1 lässt sich nicht lesen (%2); "
                                          "gespeichert ist nichts.")
                               .arg(QDir::toNativeSeparators(m_path), why));
        return false;
    }
    if (onDisk != m_document.Bytes()) {
        const int answer = m_boxes.Ask(
            this,
            QStringLiteral("Ein anderes Programm hat %1 geändert, seit sie hier geöffnet wurde. "
                           "Damit seine Änderungen nicht verloren gehen, wird nichts "
                           "gespeichert.\n\nFestmark kann die Datei neu einlesen und Ihre "
                           "Änderungen darin behalten; danach speichern Sie erneut.")
                .arg(QDir::toNativeSeparators(m_path)),
            {QStringLiteral("&Neu einlesen"), QStringLiteral("&Abbrechen")});
        if (answer == 0)
            ReadAgain();
        return false;
    }
    const auto written = m_document.Write(lines);
    if (const auto *problem = std::get_if<QString>(&written)) {
        m_boxes.Show(this, *problem);
        return false;
    }
    const QByteArray &bytes = std::get<QByteArray>(written);
    if (!ReplaceFileWhole(m_path, bytes, &why)) {
        m_boxes.Show(this, QStringLiteral("Die Datumsliste %1 ließ sich nicht speichern (%2); "
                                          "sie bleibt, wie sie war.")
                               .arg(QDir::toNativeSeparators(m_path), why));
        return false;
    }
    // The lines as they are now on disk: each is untouched from here on.
    auto document = ListDocument::FromBytes(bytes, m_codePage);
    m_document = std::get<ListDocument>(std::move(document));
    const std::vector<ListLine> &now = m_document.Lines();
    for (std::size_t row = 0; row < now.size() && row < lines.size(); ++row)
        m_model->ReplaceLine(static_cast<int>(row), now[row]);
    m_undo.setClean();
    return true;
}

void CListEditor::ReadAgain()
{
    QString why;
    const QByteArray bytes = ReadOnDisk(m_path, &why);
    auto newer = ListDocument::FromBytes(bytes, m_codePage);
    if (!why.isEmpty() || std::holds_alternative<QString>(newer)) {
        m_boxes.Show(this, QStringLiteral("%1 lässt sich nicht neu einlesen (%2).")
                               .arg(QDir::toNativeSeparators(m_path),
                                    why.isEmpty() ? std::get<QString>(newer) : why));
        return;
    }
    const ListDocument &file = std::get<ListDocument>(newer);
    std::vector<ListLine> merged = m_document.Merge(m_model->Lines(), file);
    m_document = file;
    // The edits stay on screen, unsaved; what they were made against is gone, and so is
    // their undo.
    m_model->SetLines(std::move(merged));
    m_undo.clear();
    m_undo.resetClean();
    UpdateTitle();
}

bool CListEditor::MayClose()
{
    if (!IsModified())
        return true;
    const int answer = m_boxes.Ask(
        this,
        QStringLiteral("Die Änderungen an %1 sind noch nicht gespeichert.")
            .arg(QDir::toNativeSeparators(m_path)),
        {QStringLiteral("&Speichern"), QStringLiteral("&Verwerfen"), QStringLiteral("&Abbrechen")});
    if (answer == 0)
        return Save();
    return answer == 1;
}

void CListEditor::closeEvent(QCloseEvent *event)
{
    if (!m_closing && !MayClose()) {
        event->ignore();
        return;
    }
    m_closing = true;
    event->accept();
}

void CListEditor::keyPressEvent(QKeyEvent *event)
{
    // Escape closes the window, where no field takes it first.
    if (event->key() == Qt::Key_Escape && event->modifiers() == Qt::NoModifier) {
        close();
        return;
    }
    QWidget::keyPressEvent(event);
}

void CListEditor::UpdateTitle()
{
    setWindowTitle(
        QStringLiteral("%1Datumsliste bearbeiten – %2")
            .arg(IsModified() ? QStringLiteral("*") : QString(), QDir::toNativeSeparators(m_path)));
}
