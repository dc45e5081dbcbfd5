#include "provider_categories.h"

#include <charconv>

namespace dalvero {

// The three entries of the category selection alone come last, under the
// heading that shows them first.
const std::array<ProviderCategory, 83> kProviderCategories{{
    {140, "Extended Care", "Skilled Nursing Facility", "S140", true},
    {149, "Extended Care", "Long Term Care", "S149", true},
    {148, "Extended Care", "Rehab", "S148", true},
    {150, "Extended Care", "Convalescence", "S150", true},
    {141, "Home Health Care", "Nursing Care Services", "S141", true},
    {142, "Home Health Care", "Physical Therapy", "S142", true},
    {146, "Home Health Care", "Aide Services", "S146", true},
    {145, "Home Health Care", "Medical Social Services", "S145", true},
    {144, "Home Health Care", "Speech Pathology", "S144", true},
    {139, "Home Health Care", "Dialysis Equipment", "S139_1", true},
    {143, "Home Health Care", "Occupational Therapy", "S143", true},
    {147, "Dialysis", "Dialysis", "S147", true},
    {139, "Dialysis", "Home Dialysis Equipment", "S139", true},
    {135, "Dialysis", "Hemodialysis Equipment & Supplies", "S135", true},
    {95, "Prostheses", "Breast Prostheses & Accessories", "S95", true},
    {108, "Prostheses", "Limb Prostheses", "S108", true},
    {115, "Prostheses", "Voice Prosthetics", "S115", true},
    {119, "Prostheses", "Cochlear Implants", "S119", true},
    {120, "Prostheses", "Facial Prostheses", "S120", true},
    {121, "Prostheses", "Ocular Prostheses", "S121", true},
    {122, "Prostheses", "Somatic Prostheses", "S122", true},
    {126, "Prostheses", "Eye Prostheses", "S126", true},
    {123, "Prostheses", "Prosthetic Lenses: Conventional Eyeglasses", "S123", true},
    {124, "Prostheses", "Prosthetic Lenses: Conventional Contact Lenses", "S124", true},
    {125, "Prostheses", "Prosthetic Lenses: Prosthetic Cataract Lenses", "S125", true},
    {89, "DME - Mobility", "Walkers", "S89", true},
    {90, "DME - Mobility", "Wheelchairs - Standard Manual", "S90", true},
    {85, "DME - Mobility", "Canes & Crutches", "S85", true},
    {86, "DME - Mobility", "Patient Lifts", "S86", true},
    {87, "DME - Mobility", "Power Operated Vehicles (Scooters)", "S87", true},
    {88, "DME - Mobility", "Seat Lift Mechanisms", "S88", true},
    {91, "DME - Mobility", "Wheelchairs & Accessories: Standard Power", "S91", true},
    {92, "DME - Mobility", "Wheelchair Seating/Cushions", "S92", true},
    {113, "DME - Mobility", "Wheelchairs & Accessories: Complex Rehabilitative Manual", "S113", true},
    {114, "DME - Mobility", "Wheelchairs & Accessories: Complex Rehabilitative Power", "S114", true},
    {134, "DME - Other", "Automatic External Defibrillators (AEDS)", "S134", true},
    {72, "DME - Other", "Commodes, Urinals, & Bedpans", "S72", true},
    {73, "DME - Other", "Continuous Passive Motion (CPM) Devices", "S73", true},
    {96, "DME - Other", "Ostomy Supplies", "S96", true},
    {101, "DME - Other", "Nebulizer Equipment & Supplies", "S101", true},
    {102, "DME - Other", "Oxygen Equipment & Supplies", "S102", true},
    {98, "DME - Other", "Urological Supplies", "S98", true},
    {74, "DME - Other", "Dynamic Splints", "S74", true},
    {75, "DME - Other", "Blood Glucose Monitors & Supplies: Non-Mail Order", "S75", true},
    {76, "DME - Other", "Blood Glucose Monitors & Supplies: Mail Order", "S76", true},
    {97, "DME - Other", "Tracheostomy Supplies", "S97", true},
    {103, "DME - Other", "Respiratory Suction Pumps", "S103", true},
    {100, "DME - Other", "CPAP, RADs, & Related Supplies & Accessories", "S100", true},
    {77, "DME - Other", "Gastric Suction Pumps", "S77", true},
    {79, "DME - Other", "Hospital Beds: Electric", "S79", true},
    {80, "DME - Other", "Hospital Beds: Manual", "S80", true},
    {78, "DME - Other", "Heat & Cold Applications", "S78", true},
    {109, "DME - Other", "Infrared Heating Pad Systems", "S109", true},
    {128, "DME - Other", "Infusion Pumps & Supplies: Insulin Infusion", "S128", true},
    {129, "DME - Other", "Infusion Pumps & Supplies: Implanted Infusion", "S129", true},
    {116, "DME - Other", "Infusion Pumps & Supplies: External Infusion", "S116", true},
    {110, "DME - Other", "Negative Pressure Wound Therapy Pumps & Supplies", "S110", true},
    {111, "DME - Other", "Neuromuscular Electrical Stimulators (NMES)", "S111", true},
    {136, "DME - Other", "Osteogenesis Stimulators", "S136", true},
    {112, "DME - Other", "Pneumatic Compression Devices", "S112", true},
    {82, "DME - Other", "Pressure Reducing Beds, Mattresses, Overlays, & Pads", "S82", true},
    {81, "DME - Other", "Speech Generating Devices", "S81", true},
    {83, "DME - Other", "Traction Equipment", "S83", true},
    {84, "DME - Other", "Transcutaneous Electrical Nerve Stimulators (TENS) Units", "S84", true},
    {133, "DME - Other", "Ultraviolet Light Devices", "S133", true},
    {93, "DME - Other", "Orthoses: Prefabricated", "S93", true},
    {94, "DME - Other", "Orthoses: Off-the-Shelf", "S94", true},
    {107, "DME - Other", "Orthoses: Custom Fabricated", "S107", true},
    {104, "DME - Other", "Surgical Dressings", "S104", true},
    {105, "DME - Other", "Diabetic Shoes & Inserts: Prefabricated", "S105", true},
    {106, "DME - Other", "Diabetic Shoes & Inserts: Custom Fabricated", "S106", true},
    {117, "DME - Other", "Intermittent Positive Pressure Breathing (IPPB) Devices", "S117", true},
    {118, "DME - Other", "Mechanical In-Exsufflation Devices", "S118", true},
    {130, "DME - Other", "Invasive Mechanical Ventilation", "S130", true},
    {131, "DME - Other", "Ventilators, Accessories, & Supplies", "S131", true},
    {137, "DME - Other", "Intrapulmonary Percussive Ventilation Devices", "S137", true},
    {138, "DME - Other", "High Frequency Chest Wall Oscillation (HFCWO) Devices", "S138", true},
    {99, "DME - Other", "Enternal Nutrients, Equipment, & Supplies", "S99", true},
    {132, "DME - Other", "Parenternal Nutrients, Equipment, & Supplies", "S132", true},
    {127, "DME - Other", "Neurostimulators", "S127", true},
    {151, "Extended Care", "Gero-Psychiatric", "S151", false},
    {152, "Extended Care", "In-Patient Hospice", "S152", false},
    {153, "Extended Care", "Transitional Care", "S153", false},
}};

int CategorySeqOfControl(std::string_view control) {
    if (control.size() < 2 || control.front() != 'S') return 0;
    control.remove_prefix(1);
    control = control.substr(0, control.find('_'));
    int seq = 0;
    const auto [end, error] = std::from_chars(control.data(), control.data() + control.size(), seq);
    return error == std::errc() && end == control.data() + control.size() && seq > 0 ? seq : 0;
}

}  // namespace dalvero
