#include "ui/AboutDialog.h"

#include "ui/BarIcons.h"

#include <QDialogButtonBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QVBoxLayout>

AboutDialog::AboutDialog(QWidget* parent) : QDialog(parent) {
    setWindowTitle(QStringLiteral("About Wavesmith"));
    auto* image = new QLabel(this);
    image->setPixmap(BarIcons::Application().pixmap(QSize(48, 48), devicePixelRatioF()));
    image->setAlignment(Qt::AlignTop);

    auto* version = new QLabel(QStringLiteral("Wavesmith Version 3.2"), this);
    version->setObjectName(QStringLiteral("version"));
    QFont bold = version->font();
    bold.setBold(true);
    version->setFont(bold);
    auto* build = new QLabel(QStringLiteral("Build 022"), this);
    build->setObjectName(QStringLiteral("build"));

    auto* texts = new QVBoxLayout;
    texts->addWidget(version);
    texts->addWidget(build);
    texts->addStretch(1);
    auto* row = new QHBoxLayout;
    row->setSpacing(16);
    row->addWidget(image);
    row->addLayout(texts, 1);

    auto* buttons = new QDialogButtonBox(QDialogButtonBox::Ok, this);
    connect(buttons, &QDialogButtonBox::accepted, this, &QDialog::accept);

    auto* layout = new QVBoxLayout(this);
    layout->addLayout(row);
    layout->addWidget(buttons);
    layout->setSizeConstraint(QLayout::SetFixedSize);
}
