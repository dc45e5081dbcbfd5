#pragma once
// A provider's address card: its ProviderEntities record's name, address,
// phones, e-mails and website.

#include <QDialog>

#include <memory>
#include <string>

class QLabel;

namespace Ui {
class TProviderInfoForm;
}

namespace dalvero {

struct ClientSession;
struct MainWindowState;

class TProviderInfoForm : public QDialog {
    Q_OBJECT
public:
    TProviderInfoForm(MainWindowState& main, QWidget* parent);
    ~TProviderInfoForm() override;

    // Reads the provider; a failed read leaves the card empty and says so.
    void Fill(const std::string& providerSeq);
    // The label of field f10 to f23, in that order; null outside them.
    QLabel* FieldLabel(int field) const;

private:
    std::unique_ptr<Ui::TProviderInfoForm> ui;
    ClientSession& session_;
};

}  // namespace dalvero
