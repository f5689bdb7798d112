// The open-file dialog and the framework's message box.
#include <QApplication>
#include <QDir>
#include <QFileDialog>
#include <QMessageBox>
#include <QTimer>
#include <cstring>

#include "afxdlgs.h"

namespace {
FileDialogHook g_fileDialogHook = nullptr;

// "name\0pattern\0...\0\0" into Qt's "name (patterns)" filters; "*.*" means every file.
QStringList FiltersFrom(LPCWSTR filter) {
  QStringList out;
  for (const wchar_t* p = filter; p && *p;) {
    const QString name = QString::fromWCharArray(p);
    p += std::wcslen(p) + 1;
    if (!*p) break;
    QString patterns = QString::fromWCharArray(p);
    p += std::wcslen(p) + 1;
    patterns.replace(QLatin1Char(';'), QLatin1Char(' '));
    patterns.replace(QStringLiteral("*.*"), QStringLiteral("*"));
    out << QStringLiteral("%1 (%2)").arg(name, patterns);
  }
  return out;
}
}  // namespace

void SetFileDialogHookForTesting(FileDialogHook hook) { g_fileDialogHook = hook; }

CFileDialog::CFileDialog(BOOL bOpenFileDialog, LPCWSTR lpszDefExt, LPCWSTR lpszFileName, DWORD dwFlags,
                         LPCWSTR lpszFilter, CWnd* pParentWnd)
    : m_defaultBuffer(MAX_PATH, L'\0') {
  (void)bOpenFileDialog;
  m_ofn.lpstrDefExt = lpszDefExt;
  m_ofn.Flags = dwFlags | OFN_EXPLORER | OFN_ENABLESIZING;
  m_ofn.hwndOwner = pParentWnd ? pParentWnd->m_hWnd : nullptr;
  if (lpszFileName) std::wcsncpy(m_defaultBuffer.data(), lpszFileName, m_defaultBuffer.size() - 1);
  m_ofn.lpstrFile = m_defaultBuffer.data();
  m_ofn.nMaxFile = static_cast<DWORD>(m_defaultBuffer.size());
  if (lpszFilter) {
    // The framework's form "name|pattern|...|" becomes the NUL-separated list.
    m_strFilter = lpszFilter;
    for (wchar_t& c : m_strFilter.str())
      if (c == L'|') c = L'\0';
    m_ofn.lpstrFilter = m_strFilter;
  }
}

INT_PTR CFileDialog::DoModal() {
  CWnd* owner = CWnd::FromHandlePermanent(m_ofn.hwndOwner);
  QWidget* parent = owner && owner->GetWidget() ? owner->GetWidget() : QApplication::activeWindow();
  QFileDialog dialog(parent);
  dialog.setOption(QFileDialog::DontUseNativeDialog, true);
  dialog.setAcceptMode(QFileDialog::AcceptOpen);
  dialog.setFileMode((m_ofn.Flags & OFN_ALLOWMULTISELECT) ? QFileDialog::ExistingFiles : QFileDialog::ExistingFile);
  if (m_ofn.lpstrTitle) dialog.setWindowTitle(QString::fromWCharArray(m_ofn.lpstrTitle));
  if (m_ofn.lpstrInitialDir && *m_ofn.lpstrInitialDir) dialog.setDirectory(QString::fromWCharArray(m_ofn.lpstrInitialDir));
  const QStringList filters = FiltersFrom(m_ofn.lpstrFilter);
  if (!filters.isEmpty()) {
    dialog.setNameFilters(filters);
    const int index = m_ofn.nFilterIndex >= 1 ? static_cast<int>(m_ofn.nFilterIndex) - 1 : 0;
    if (index < filters.size()) dialog.selectNameFilter(filters[index]);
  }
  if (g_fileDialogHook) QTimer::singleShot(0, &dialog, [&dialog] { g_fileDialogHook(&dialog); });
  if (dialog.exec() != QDialog::Accepted) return IDCANCEL;

  const QStringList files = dialog.selectedFiles();
  if (files.isEmpty() || !m_ofn.lpstrFile) return IDCANCEL;
  // One file: its path. Several: the folder, then each name; NUL after each, NUL at the end.
  std::wstring result;
  if (files.size() == 1) {
    result = QDir::toNativeSeparators(files.front()).toStdWString();
    result += L'\0';
  } else {
    result = QFileInfo(files.front()).absolutePath().toStdWString();
    result += L'\0';
    for (const QString& f : files) {
      result += QFileInfo(f).fileName().toStdWString();
      result += L'\0';
    }
  }
  result += L'\0';
  if (result.size() > m_ofn.nMaxFile) return IDCANCEL;
  std::wmemcpy(m_ofn.lpstrFile, result.data(), result.size());
  return IDOK;
}

POSITION CFileDialog::GetStartPosition() const {
  return m_ofn.lpstrFile && *m_ofn.lpstrFile ? reinterpret_cast<POSITION>(m_ofn.lpstrFile) : nullptr;
}

CString CFileDialog::GetNextPathName(POSITION& pos) const {
  const wchar_t* buffer = m_ofn.lpstrFile;
  const wchar_t* at = reinterpret_cast<const wchar_t*>(pos);
  if (!at) return CString();
  const std::size_t firstLength = std::wcslen(buffer);
  const bool several = buffer[firstLength + 1] != L'\0';
  if (!several) {
    pos = nullptr;
    return CString(buffer);
  }
  // The first position is the folder: step to the first name.
  if (at == buffer) at = buffer + firstLength + 1;
  CString folder(buffer);
  if (!folder.IsEmpty() && folder.GetAt(folder.GetLength() - 1) != L'/') folder += L'/';
  const CString path = folder + at;
  const wchar_t* next = at + std::wcslen(at) + 1;
  pos = *next ? reinterpret_cast<POSITION>(const_cast<wchar_t*>(next)) : nullptr;
  return path;
}

int AfxMessageBox(LPCWSTR lpszText, UINT nType, UINT) {
  const CString title = LoadStringResource(AFX_IDS_APP_TITLE);
  QMessageBox box(QApplication::activeWindow());
  box.setWindowTitle(QString::fromWCharArray(title.GetString()));
  box.setText(QString::fromWCharArray(lpszText ? lpszText : L""));
  switch (nType & 0xF0) {
    case MB_ICONERROR: box.setIcon(QMessageBox::Critical); break;
    case MB_ICONQUESTION: box.setIcon(QMessageBox::Question); break;
    case MB_ICONEXCLAMATION: box.setIcon(QMessageBox::Warning); break;
    default: box.setIcon(QMessageBox::Information); break;
  }
  if ((nType & 0xF) == MB_OKCANCEL) {
    box.setStandardButtons(QMessageBox::Ok | QMessageBox::Cancel);
  } else {
    box.setStandardButtons(QMessageBox::Ok);
  }
  box.setObjectName(QStringLiteral("ov_message_box"));
  return box.exec() == QMessageBox::Cancel ? IDCANCEL : IDOK;
}

int AfxMessageBox(UINT nIDPrompt, UINT nType, UINT nIDHelp) {
  return AfxMessageBox(LoadStringResource(nIDPrompt), nType, nIDHelp);
}
