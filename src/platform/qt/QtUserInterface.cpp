#include "platform/qt/QtUserInterface.h"

#include "platform/qt/MessageOwner.h"
#include "platform/qt/QtProgressDisplay.h"

#include <QApplication>
#include <QDir>
#include <QFileDialog>
#include <QFontMetrics>
#include <QGridLayout>
#include <QMessageBox>
#include <QSpacerItem>

namespace {

QMessageBox::Icon IconOf(MessageIcon icon) {
    switch (icon) {
    case MessageIcon::Information:
        return QMessageBox::Information;
    case MessageIcon::Exclamation:
        return QMessageBox::Warning;
    case MessageIcon::Error:
        return QMessageBox::Critical;
    case MessageIcon::Question:
        return QMessageBox::Question;
    case MessageIcon::None:
        break;
    }
    return QMessageBox::NoIcon;
}

QMessageBox::StandardButtons ButtonsOf(MessageButtons buttons) {
    switch (buttons) {
    case MessageButtons::OkCancel:
        return QMessageBox::Ok | QMessageBox::Cancel;
    case MessageButtons::YesNo:
        return QMessageBox::Yes | QMessageBox::No;
    case MessageButtons::YesNoCancel:
        return QMessageBox::Yes | QMessageBox::No | QMessageBox::Cancel;
    case MessageButtons::Ok:
        break;
    }
    return QMessageBox::Ok;
}

// Closing the box by its title bar or Escape answers like its cancelling button.
MessageAnswer AnswerOf(int button, MessageButtons buttons) {
    switch (button) {
    case QMessageBox::Ok:
        return MessageAnswer::Ok;
    case QMessageBox::Yes:
        return MessageAnswer::Yes;
    case QMessageBox::No:
        return MessageAnswer::No;
    case QMessageBox::Cancel:
        return MessageAnswer::Cancel;
    default:
        break;
    }
    switch (buttons) {
    case MessageButtons::Ok:
        return MessageAnswer::Ok;
    case MessageButtons::YesNo:
        return MessageAnswer::No;
    default:
        return MessageAnswer::Cancel;
    }
}

QString Patterns(const FileFilter& filter) {
    QStringList patterns;
    for (const std::string& extension : filter.extensions) {
        patterns << QStringLiteral("*") + QString::fromStdString(extension);
    }
    return patterns.join(QLatin1Char(' '));
}

// The one plain extension of a filter ("asc" of "*.asc"); none for a wildcard type.
QString SuffixOf(const FileFilter& filter) {
    if (filter.extensions.size() != 1) {
        return {};
    }
    const QString extension = QString::fromStdString(filter.extensions.front());
    if (!extension.startsWith(QLatin1Char('.')) || extension.contains(QLatin1Char('*'))) {
        return {};
    }
    return extension.mid(1);
}

// The dialog gives a filter back as it shows it: runs of blanks collapsed, and without the
// appended patterns while their details are hidden.
qsizetype IndexOfFilter(const FileQuestion& question, const QStringList& filters,
                        const QString& shown) {
    const QString wanted = shown.simplified();
    for (qsizetype i = 0; i < filters.size(); ++i) {
        const QString description =
            QString::fromStdString(question.filters[static_cast<std::size_t>(i)].description);
        if (filters.at(i).simplified() == wanted || description.simplified() == wanted) {
            return i;
        }
    }
    return -1;
}

} // namespace

MessageAnswer QtUserInterface::Show(const Message& message) {
    const QString title =
        message.caption.empty() ? caption_ : QString::fromStdString(message.caption);
    QMessageBox box(IconOf(message.icon), title, QString::fromStdString(message.text),
                    ButtonsOf(message.buttons), Parent());
    box.setTextFormat(Qt::PlainText);
    KeepCaptionWhole(box, title);
    return AnswerOf(box.exec(), message.buttons);
}

// Some captions are messages of their own ("Value out of range. Previous value will be
// restored." over the field and range that broke it). A box sized to its short text would
// cut such a caption off in the title bar, so the box is made as wide as the caption in a
// bold title font, plus room for the title bar's icon and buttons.
void QtUserInterface::KeepCaptionWhole(QMessageBox& box, const QString& title) {
    constexpr int kTitleBarExtras = 140;
    QFont titleFont = QApplication::font();
    titleFont.setBold(true);
    const int wanted = QFontMetrics(titleFont).horizontalAdvance(title) + kTitleBarExtras;
    if (auto* grid = qobject_cast<QGridLayout*>(box.layout())) {
        grid->addItem(new QSpacerItem(wanted, 0, QSizePolicy::Minimum, QSizePolicy::Fixed),
                      grid->rowCount(), 0, 1, grid->columnCount());
    }
}

QStringList QtUserInterface::NameFilters(const FileQuestion& question) {
    QStringList filters;
    for (const FileFilter& filter : question.filters) {
        filters << QString::fromStdString(filter.description) + QStringLiteral(" (") +
                       Patterns(filter) + QLatin1Char(')');
    }
    return filters;
}

std::optional<FileChoice> QtUserInterface::AskOpenFile(const FileQuestion& question) {
    if (!pendingOpen_.isEmpty()) {
        const QString path = pendingOpen_;
        pendingOpen_.clear();
        return FileChoice{path.toStdString(), question.filterIndex};
    }
    return AskFile(question, true);
}

std::optional<FileChoice> QtUserInterface::AskSaveFile(const FileQuestion& question) {
    return AskFile(question, false);
}

std::optional<FileChoice> QtUserInterface::AskFile(const FileQuestion& question, bool open) {
    const QStringList filters = NameFilters(question);
    QFileDialog dialog(Parent(), QString::fromStdString(question.title));
    dialog.setAcceptMode(open ? QFileDialog::AcceptOpen : QFileDialog::AcceptSave);
    dialog.setFileMode(open ? QFileDialog::ExistingFile : QFileDialog::AnyFile);
    // The descriptions carry their own pattern text; the patterns appended for the
    // dialog's matching stay hidden so the texts read as the system writes them.
    dialog.setOption(QFileDialog::HideNameFilterDetails);
    dialog.setNameFilters(filters);
    dialog.setDirectory(QString::fromStdString(question.folder));
    if (!question.fileName.empty()) {
        dialog.selectFile(QString::fromStdString(question.fileName));
    }
    // A name typed without extension gets the selected filter's, before the dialog looks
    // for the file: so the overwrite question is asked about the file really written.
    const auto followFilter = [&dialog, &filters, &question](const QString& filter) {
        const qsizetype index = IndexOfFilter(question, filters, filter);
        const QString suffix =
            index < 0 ? QString() : SuffixOf(question.filters[static_cast<std::size_t>(index)]);
        dialog.setDefaultSuffix(suffix);
    };
    QObject::connect(&dialog, &QFileDialog::filterSelected, &dialog, followFilter);
    const int preselected = question.filterIndex;
    if (preselected >= 0 && preselected < filters.size()) {
        dialog.selectNameFilter(filters.at(preselected));
        followFilter(filters.at(preselected));
    } else {
        dialog.setDefaultSuffix(QString::fromStdString(question.defaultExtension));
    }
    if (dialog.exec() != QDialog::Accepted || dialog.selectedFiles().isEmpty()) {
        return std::nullopt;
    }
    const int selected =
        static_cast<int>(IndexOfFilter(question, filters, dialog.selectedNameFilter()));
    return FileChoice{QDir::toNativeSeparators(dialog.selectedFiles().constFirst()).toStdString(),
                      selected < 0 ? 0 : selected};
}

// A window that runs the work itself owns its messages; the main window owns the rest.
QWidget* QtUserInterface::Parent() const {
    if (QWidget* owner = MessageOwner::Current()) {
        return owner->window();
    }
    return !parent_.isNull() ? parent_.data() : QApplication::activeWindow();
}

std::unique_ptr<ProgressDisplay> QtUserInterface::BeginProgress(const std::string& what) {
    return std::make_unique<QtProgressDisplay>(Parent(), caption_, QString::fromStdString(what));
}
