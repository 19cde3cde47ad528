// The document check and the web fill-ins of the patient and professional forms: the
// company-registry data of a CNPJ, and the address of a postal code.
#pragma once

class QLineEdit;

namespace vtx {

/// The boxes the fill-ins read and write, by their control names.
struct AddressBoxes {
    QLineEdit* TXTCPF = nullptr;
    QLineEdit* txtnome = nullptr;
    QLineEdit* txtcepr = nullptr;
    QLineEdit* txtruar = nullptr;
    QLineEdit* txtnr = nullptr;
    QLineEdit* txtbairror = nullptr;
    QLineEdit* txtcidader = nullptr;
    QLineEdit* txtufr = nullptr;
    QLineEdit* txtemail = nullptr;
    QLineEdit* txtCdMun = nullptr;
};

/// Leaving the document box: a number failing its check digits is removed without a message;
/// a CNPJ typed as 14 digits offers the company-registry fill-in.
void documentLeft(const AddressBoxes& boxes);

/// Fills name, address and e-mail from the company registry, then the municipality code;
/// changes no box when the registry has no usable answer.
void fillFromCompanyRegistry(const AddressBoxes& boxes);

/// Leaving the postal-code box with 8 characters: street, district, city, state and
/// municipality code from the postal-code service.
void postalCodeLeft(const AddressBoxes& boxes);

} // namespace vtx
