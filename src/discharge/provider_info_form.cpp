#include "provider_info_form.h"

#include <array>

#include "dialog_seam.h"
#include "main_window_state.h"
#include "phone_text.h"
#include "record_ops.h"
#include "string_list.h"
#include "table_catalogue.h"
#include "ui_provider_info_form.h"

namespace dalvero {
namespace {
namespace pe = catalogue::providers;
constexpr int kFirstField = pe::kName;
constexpr int kLastField = pe::kWebsite;
constexpr std::array<const char*, kLastField - kFirstField + 1> kLabels{
    "CompanyNameLabel", "AttnLabel",         "StreetLabel",          "CityLabel",         "StateLabel",
    "ZipLabel",         "PhoneLabel",        "TollFreeLabel",        "FaxLabel",          "AdditionalPhoneLabel",
    "CompanyEmailLabel", "NotificationEmailLabel", "SmsEmailLabel", "WebsiteLabel"};
}  // namespace

TProviderInfoForm::TProviderInfoForm(MainWindowState& main, QWidget* parent)
    : QDialog(parent), ui(std::make_unique<Ui::TProviderInfoForm>()), session_(main.Session) {
    ui->setupUi(this);
    connect(ui->BackButton, &QPushButton::clicked, this, &QDialog::accept);
}

TProviderInfoForm::~TProviderInfoForm() = default;

QLabel* TProviderInfoForm::FieldLabel(int field) const {
    if (field < kFirstField || field > kLastField) return nullptr;
    return findChild<QLabel*>(kLabels[static_cast<std::size_t>(field - kFirstField)]);
}

void TProviderInfoForm::Fill(const std::string& providerSeq) {
    StringList values;
    const bool read = ReadRecord(*session_.DataServer, catalogue::tbl::kProviderEntities, providerSeq, values);
    for (int field = kFirstField; field <= kLastField; ++field) {
        const std::size_t n = static_cast<std::size_t>(field);
        const std::string value = read && n < values.size() ? values[n] : std::string();
        const bool phone = field >= pe::kPhone && field <= pe::kPhone2;
        FieldLabel(field)->setText(QString::fromStdString(phone ? PhoneDisplayText(value) : value));
    }
    if (!read) ShowMessageBox(this, "The provider could not be read.", "Error");
}

}  // namespace dalvero
