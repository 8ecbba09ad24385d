#include "app/action_table.h"

#include <vector>

namespace namitra::app {
namespace {

ActionSpec same(const char* name, const char* category, const char* caption, int image,
                const char* shortcut = nullptr) {
  return {name, category, QString::fromUtf8(caption), QString::fromUtf8(caption), shortcut, image};
}

ActionSpec noHint(const char* name, const char* category, const char* caption, int image,
                  const char* shortcut = nullptr) {
  return {name, category, QString::fromUtf8(caption), QString(), shortcut, image};
}

const std::vector<ActionSpec>& table() {
  static const std::vector<ActionSpec> table = {
      same("actEditCopyFromOldName", "Edit", "[ファイルリスト]の取込", 3),
      same("actEditPaste", "Edit", "クリップボードから貼り付け", 4),
      same("actFileListExecute", "FileList", "変換の実行", 2),
      same("actFileListClear", "FileList", "[ファイルリスト]のクリア", 0),
      same("actFileListDel", "FileList", "選択したリストの削除", 11),
      same("actEditMacroRec", "Edit", "マクロ記録開始/終了", 5, "Shift+F1"),
      same("actEditMacroExec", "Edit", "マクロ再生", 2, "Shift+F2"),
      same("actFmtExecute", "Fmt", "形式化の実行", 2),
      {"actFileListSwapOldNew", "FileList", QString::fromUtf8("古<->新"),
       QString::fromUtf8("[現在]と[変更予定]のファイル名を入れ替え"), nullptr, 1},
      same("actReplaceListClear", "ReplaceList", "一次置換リストをクリア", 0),
      same("actReplaceListLoad", "ReplaceList", "一次置換リストを読み込み", 6),
      same("actReplaceListSave", "ReplaceList", "一次置換リストを保存", 7),
      same("actReplaceListExecute", "ReplaceList", "一括置換実行", 2),
      same("actEditClear", "Edit", "編集中のテキストのクリア", 0),
      same("actFmtClear", "Fmt", "形式化文字列のクリア", 0),
      same("actFmtListEdit", "Fmt", "変換文字列式一覧の編集", 8),
      same("actFileListExtract", "FileList", "リストの絞り込み", 9),
      same("actFileListExtractEdit", "FileList", "絞り込み用文字列の編集", 8),
      same("actReplaceListReload", "ReplaceList", "置換ファイル一覧の再読込", 10),
      same("actReplaceListFileDelete", "ReplaceList", "反転選択しているファイルを削除します", 11),
      same("actEditUndo", "Edit", "アンドゥ", 12),
      same("actEditRedo", "Edit", "リドゥ", 13),
      noHint("actClose", "File", "終了(&X)", -1),
      noHint("actHelp", "Help", "ヘルプ(&H)", 14),
      noHint("actAbout", "Help", "バージョン情報(&A)", -1),
      noHint("actViewFileList", "View", "ファイルリスト", -1, "Ctrl+1"),
      noHint("actViewEdit", "View", "編集", -1, "Ctrl+2"),
      noHint("actOption", "Tool", "オプション(&O)", -1),
      noHint("actChangeHistory", "Tool", "変更履歴(&H)", -1),
      {"actReplaceExecute", "Replace", QStringLiteral("actReplaceExecute"),
       QString::fromUtf8("置換実行"), nullptr, 2},
      noHint("actViewStayOnTop", "View", "常に最前面に表示(&T)", -1),
      noHint("actViewEditTools", "View", "編集ツール画面(&E)", -1),
  };
  return table;
}

}  // namespace

std::span<const ActionSpec> mainActionTable() { return table(); }

QIcon toolBarImage(int index) {
  return QIcon(QStringLiteral(":/images/%1.svg").arg(index, 2, 10, QLatin1Char('0')));
}

}  // namespace namitra::app
