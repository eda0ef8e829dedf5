// The main window's mixer tabs: device choice, source panels, equaliser and filters.
#include "app/tform1.h"

#include <QCheckBox>
#include <QComboBox>
#include <QPushButton>

void TForm1::connectMixerCommands() {
    connect(DeviceCombo, &QComboBox::activated, this, &TForm1::DeviceComboClick);
    connect(DeviceComboIn, &QComboBox::activated, this, &TForm1::DeviceComboInClick);
    connect(chEqualizer, &QCheckBox::clicked, this, &TForm1::chEqualizerClick);
    connect(btnSetFilter, &QPushButton::clicked, this, &TForm1::btnSetFilterClick);
}

void TForm1::SetSrcOutput() {}

void TForm1::SetSrcInput() {}

void TForm1::DeviceComboClick() {}

void TForm1::DeviceComboInClick() {}

void TForm1::chEqualizerClick() {}

void TForm1::btnSetFilterClick() {}
