// The built-in fuzzy character dictionary. Each group is kept as the comma-separated Shift-JIS
// text it is built from, with its readable form beside it; the order of the groups matters,
// since the first word found wins (the group of が comes before the group of か, so that the
// two characters か゛ are rewritten as one voiced kana).
#include "regex/fuzzy_dictionary.h"

namespace namitra::regex {

namespace {

bool isBlank(unsigned char byte) { return byte >= 1 && byte <= 32; }

// A double-quoted item starting at `p`; leaves `p` after the closing quote.
std::string readQuotedItem(std::string_view text, std::size_t& p) {
  std::string item;
  ++p;
  while (p < text.size()) {
    if (text[p] != '"') {
      item += text[p++];
      continue;
    }
    if (p + 1 < text.size() && text[p + 1] == '"') {
      item += '"';
      p += 2;
      continue;
    }
    ++p;
    break;
  }
  return item;
}

void skipBlanks(std::string_view text, std::size_t& p) {
  while (p < text.size() && isBlank(static_cast<unsigned char>(text[p]))) ++p;
}

const char* const kFuzzyGroups[] = {
    "\x82`,\x82\x81,A,a",  // 0: Ａ,ａ,A,a
    "\x82" "a,\x82\x82,B,b",  // 1: Ｂ,ｂ,B,b
    "\x82" "b,\x82\x83,C,c",  // 2: Ｃ,ｃ,C,c
    "\x82" "c,\x82\x84,D,d",  // 3: Ｄ,ｄ,D,d
    "\x82" "d,\x82\x85,E,e",  // 4: Ｅ,ｅ,E,e
    "\x82" "e,\x82\x86,F,f",  // 5: Ｆ,ｆ,F,f
    "\x82" "f,\x82\x87,G,g",  // 6: Ｇ,ｇ,G,g
    "\x82g,\x82\x88,H,h",  // 7: Ｈ,ｈ,H,h
    "\x82h,\x82\x89,I,i",  // 8: Ｉ,ｉ,I,i
    "\x82i,\x82\x8a,J,j",  // 9: Ｊ,ｊ,J,j
    "\x82j,\x82\x8b,K,k",  // 10: Ｋ,ｋ,K,k
    "\x82k,\x82\x8c,L,l",  // 11: Ｌ,ｌ,L,l
    "\x82l,\x82\x8d,M,m",  // 12: Ｍ,ｍ,M,m
    "\x82m,\x82\x8e,N,n",  // 13: Ｎ,ｎ,N,n
    "\x82n,\x82\x8f,O,o",  // 14: Ｏ,ｏ,O,o
    "\x82o,\x82\x90,P,p",  // 15: Ｐ,ｐ,P,p
    "\x82p,\x82\x91,Q,q",  // 16: Ｑ,ｑ,Q,q
    "\x82q,\x82\x92,R,r",  // 17: Ｒ,ｒ,R,r
    "\x82r,\x82\x93,S,s",  // 18: Ｓ,ｓ,S,s
    "\x82s,\x82\x94,T,t",  // 19: Ｔ,ｔ,T,t
    "\x82t,\x82\x95,U,u",  // 20: Ｕ,ｕ,U,u
    "\x82u,\x82\x96,V,v",  // 21: Ｖ,ｖ,V,v
    "\x82v,\x82\x97,W,w",  // 22: Ｗ,ｗ,W,w
    "\x82w,\x82\x98,X,x",  // 23: Ｘ,ｘ,X,x
    "\x82x,\x82\x99,Y,y",  // 24: Ｙ,ｙ,Y,y
    "\x82y,\x82\x9a,Z,z",  // 25: Ｚ,ｚ,Z,z
    "0,\x82O,\x97\xeb",  // 26: 0,０,零
    "1,\x82P,\x88\xea,\x87@,\x87T,\x88\xeb",  // 27: 1,１,一,①,Ⅰ,壱
    "2,\x82Q,\x93\xf1,\x87" "A,\x87U,\x93\xf3",  // 28: 2,２,二,②,Ⅱ,弐
    "3,\x82R,\x8eO,\x87" "B,\x87V,\x8eQ",  // 29: 3,３,三,③,Ⅲ,参
    "4,\x82S,\x8el,\x87" "C,\x87W",  // 30: 4,４,四,④,Ⅳ
    "5,\x82T,\x8c\xdc,\x87" "D,\x87X,\x8c\xde",  // 31: 5,５,五,⑤,Ⅴ,伍
    "6,\x82U,\x98Z,\x87" "E,\x87Y",  // 32: 6,６,六,⑥,Ⅵ
    "7,\x82V,\x8e\xb5,\x87" "F,\x87Z",  // 33: 7,７,七,⑦,Ⅶ
    "8,\x82W,\x94\xaa,\x87G,\x87[",  // 34: 8,８,八,⑧,Ⅷ
    "9,\x82X,\x8b\xe3,\x87H,\x87\x5c",  // 35: 9,９,九,⑨,Ⅸ
    "\x22\x81@\x22,\x22 \x22",  // 36: "　"," "
    "!,\x81I",  // 37: !,！
    "\x22\x22\x22\x22,\x81h",  // 38: """",”
    "#,\x81\x94",  // 39: #,＃
    "$,\x81\x90",  // 40: $,＄
    "%,\x81\x93",  // 41: %,％
    "&,\x81\x95",  // 42: &,＆
    "',\x81" "f",  // 43: ',’
    "(,\x81i",  // 44: (,（
    "),\x81j",  // 45: ),）
    "*,\x81\x96",  // 46: *,＊
    "+,\x81{",  // 47: +,＋
    "\x81[,\x81`,\xb0,",  // 48: ー,～,ｰ,
    "-,\x81[,\x81|,\x81`,\xb0",  // 49: -,ー,－,～,ｰ
    "\xa5,\x81" "E",  // 50: ･,・
    "/,\x81^",  // 51: /,／
    ":,\x81" "F",  // 52: :,：
    ";,\x81G",  // 53: ;,；
    "<,\x81\x83",  // 54: <,＜
    "=,\x81\x81",  // 55: =,＝
    ">,\x81\x84",  // 56: >,＞
    "\x3f,\x81H",  // 57: ?,？
    "@,\x81\x97",  // 58: @,＠
    "[,\x81m,\x81k",  // 59: [,［,〔
    "\x5c,\x81\x8f",  // 60: \,￥
    "],\x81n,\x81l",  // 61: ],］,〕
    "^,\x81O",  // 62: ^,＾
    "_,\x81Q",  // 63: _,＿
    "{,\x81o",  // 64: {,｛
    "|,\x81" "b",  // 65: |,｜
    "},\x81p",  // 66: },｝
    "~,\x81P",  // 67: ~,￣
    "\x22,\x22,\xa4,\x81" "A,\x81" "C",  // 68: ",",､,、,，
    "\xa1,.,\x81" "B,\x81" "D",  // 69: ｡,.,。,．
    "\x81u,\x81w,\xa2",  // 70: 「,『,｢
    "\x81v,\x81x,\xa3",  // 71: 」,』,｣
    "\x82\xf1,\x83\x93,\xdd",  // 72: ん,ン,ﾝ
    "\x82\xaa,\x83K,\xb6\xde,\x82\xa9\x81J,\x83J\x81J",  // 73: が,ガ,ｶﾞ,か゛,カ゛
    "\x82\xac,\x83M,\xb7\xde,\x82\xab\x81J,\x83L\x81J",  // 74: ぎ,ギ,ｷﾞ,き゛,キ゛
    "\x82\xae,\x83O,\xb8\xde,\x82\xad\x81J,\x83N\x81J",  // 75: ぐ,グ,ｸﾞ,く゛,ク゛
    "\x82\xb0,\x83Q,\xb9\xde,\x82\xaf\x81J,\x83P\x81J",  // 76: げ,ゲ,ｹﾞ,け゛,ケ゛
    "\x82\xb2,\x83S,\xba\xde,\x82\xb1\x81J,\x83R\x81J",  // 77: ご,ゴ,ｺﾞ,こ゛,コ゛
    "\x82\xb4,\x83U,\xbb\xde,\x82\xb3\x81J,\x83T\x81J",  // 78: ざ,ザ,ｻﾞ,さ゛,サ゛
    "\x82\xb6,\x83W,\xbc\xde,\x82\xb5\x81J,\x83V\x81J,\x82\xc0,\x83" "a,\xc1\xde,\x82\xbf\x81J,\x83`\x81J",  // 79: じ,ジ,ｼﾞ,し゛,シ゛,ぢ,ヂ,ﾁﾞ,ち゛,チ゛
    "\x82\xb8,\x83Y,\xbd\xde,\x82\xb7\x81J,\x83X\x81J,\x82\xc3,\x83" "d,\xc2\xde,\x82\xc2\x81J,\x83" "c\x81J",  // 80: ず,ズ,ｽﾞ,す゛,ス゛,づ,ヅ,ﾂﾞ,つ゛,ツ゛
    "\x82\xba,\x83[,\xbe\xde,\x82\xb9\x81J,\x83Z\x81J",  // 81: ぜ,ゼ,ｾﾞ,せ゛,セ゛
    "\x82\xbc,\x83],\xbf\xde,\x82\xbb\x81J,\x83\x5c\x81J",  // 82: ぞ,ゾ,ｿﾞ,そ゛,ソ゛
    "\x82\xbe,\x83_,\xc0\xde,\x82\xbd\x81J,\x83^\x81J",  // 83: だ,ダ,ﾀﾞ,た゛,タ゛
    "\x82\xc5,\x83" "f,\xc3\xde,\x82\xc4\x81J,\x83" "e\x81J",  // 84: で,デ,ﾃﾞ,て゛,テ゛
    "\x82\xc7,\x83h,\xc4\xde,\x82\xc6\x81J,\x83g\x81J",  // 85: ど,ド,ﾄﾞ,と゛,ト゛
    "\x82\xce,\x83o,\xca\xde,\x82\xcd\x81J,\x83n\x81J,\x83\x94\x83@,\x82\xa4\x81J\x82\x9f,\x83" "E\x81J\x83@,\xb3\xde\xa7",  // 86: ば,バ,ﾊﾞ,は゛,ハ゛,ヴァ,う゛ぁ,ウ゛ァ,ｳﾞｧ
    "\x82\xd1,\x83r,\xcb\xde,\x82\xd0\x81J,\x83q\x81J,\x83\x94\x83" "B,\x82\xa4\x81J\x82\xa1,\x83" "E\x81J\x83" "B,\xb3\xde\xa8",  // 87: び,ビ,ﾋﾞ,ひ゛,ヒ゛,ヴィ,う゛ぃ,ウ゛ィ,ｳﾞｨ
    "\x82\xd4,\x83u,\xcc\xde,\x82\xd3\x81J,\x83t\x81J,\x83\x94,\x83" "E\x81J,\x82\xa4\x81J,\xb3\xde",  // 88: ぶ,ブ,ﾌﾞ,ふ゛,フ゛,ヴ,ウ゛,う゛,ｳﾞ
    "\x82\xd7,\x83x,\xcd\xde,\x82\xd6\x81J,\x83w\x81J,\x83\x94\x83" "F,\x82\xa4\x81J\x82\xa5,\x83" "E\x81J\x83" "F,\xb3\xde\xaa",  // 89: べ,ベ,ﾍﾞ,へ゛,ヘ゛,ヴェ,う゛ぇ,ウ゛ェ,ｳﾞｪ
    "\x82\xda,\x83{,\xce\xde,\x82\xd9\x81J,\x83z\x81J,\x83\x94\x83H,\x82\xa4\x81J\x82\xa7,\x83" "E\x81J\x83H,\xb3\xde\xab",  // 90: ぼ,ボ,ﾎﾞ,ほ゛,ホ゛,ヴォ,う゛ぉ,ウ゛ォ,ｳﾞｫ
    "\x82\xcf,\x83p,\xca\xdf,\x82\xcd\x81K,\x83n\x81K",  // 91: ぱ,パ,ﾊﾟ,は゜,ハ゜
    "\x82\xd2,\x83s,\xcb\xdf,\x82\xd0\x81K,\x83q\x81K",  // 92: ぴ,ピ,ﾋﾟ,ひ゜,ヒ゜
    "\x82\xd5,\x83v,\xcc\xdf,\x82\xd3\x81K,\x83t\x81K",  // 93: ぷ,プ,ﾌﾟ,ふ゜,フ゜
    "\x82\xd8,\x83y,\xcd\xdf,\x82\xd6\x81K,\x83w\x81K",  // 94: ぺ,ペ,ﾍﾟ,へ゜,ヘ゜
    "\x82\xdb,\x83|,\xce\xdf,\x82\xd9\x81K,\x83z\x81K",  // 95: ぽ,ポ,ﾎﾟ,ほ゜,ホ゜
    "\x82\xa0,\x83" "A,\xb1,\x82\x9f,\x83@,\xa7",  // 96: あ,ア,ｱ,ぁ,ァ,ｧ
    "\x82\xa2,\x83" "C,\xb2,\x82\xa1,\x83" "B,\xa8",  // 97: い,イ,ｲ,ぃ,ィ,ｨ
    "\x82\xa4,\x83" "E,\xb3,\x82\xa3,\x83" "D,\xa9",  // 98: う,ウ,ｳ,ぅ,ゥ,ｩ
    "\x82\xa6,\x83G,\xb4,\x82\xa5,\x83" "F,\xaa",  // 99: え,エ,ｴ,ぇ,ェ,ｪ
    "\x82\xa8,\x83I,\xb5,\x82\xa7,\x83H,\xab",  // 100: お,オ,ｵ,ぉ,ォ,ｫ
    "\x82\xa9,\x83J,\xb6",  // 101: か,カ,ｶ
    "\x82\xab,\x83L,\xb7",  // 102: き,キ,ｷ
    "\x82\xad,\x83N,\xb8",  // 103: く,ク,ｸ
    "\x82\xaf,\x83P,\xb9",  // 104: け,ケ,ｹ
    "\x82\xb1,\x83R,\xba",  // 105: こ,コ,ｺ
    "\x82\xb3,\x83T,\xbb",  // 106: さ,サ,ｻ
    "\x82\xb5,\x83V,\xbc",  // 107: し,シ,ｼ
    "\x82\xb7,\x83X,\xbd",  // 108: す,ス,ｽ
    "\x82\xb9,\x83Z,\xbe",  // 109: せ,セ,ｾ
    "\x82\xbb,\x83\x5c,\xbf",  // 110: そ,ソ,ｿ
    "\x82\xbd,\x83^,\xc0",  // 111: た,タ,ﾀ
    "\x82\xbf,\x83`,\xc1",  // 112: ち,チ,ﾁ
    "\x82\xc2,\x83" "c,\xc2,\x82\xc1,\x83" "b,\xaf",  // 113: つ,ツ,ﾂ,っ,ッ,ｯ
    "\x82\xc4,\x83" "e,\xc3",  // 114: て,テ,ﾃ
    "\x82\xc6,\x83g,\xc4",  // 115: と,ト,ﾄ
    "\x82\xc8,\x83i,\xc5",  // 116: な,ナ,ﾅ
    "\x82\xc9,\x83j,\xc6",  // 117: に,ニ,ﾆ
    "\x82\xca,\x83k,\xc7",  // 118: ぬ,ヌ,ﾇ
    "\x82\xcb,\x83l,\xc8",  // 119: ね,ネ,ﾈ
    "\x82\xcc,\x83m,\xc9",  // 120: の,ノ,ﾉ
    "\x82\xcd,\x83n,\xca",  // 121: は,ハ,ﾊ
    "\x82\xd0,\x83q,\xcb",  // 122: ひ,ヒ,ﾋ
    "\x82\xd3,\x83t,\xcc",  // 123: ふ,フ,ﾌ
    "\x82\xd6,\x83w,\xcd",  // 124: へ,ヘ,ﾍ
    "\x82\xd9,\x83z,\xce",  // 125: ほ,ホ,ﾎ
    "\x82\xdc,\x83},\xcf",  // 126: ま,マ,ﾏ
    "\x82\xdd,\x83~,\xd0",  // 127: み,ミ,ﾐ
    "\x82\xde,\x83\x80,\xd1",  // 128: む,ム,ﾑ
    "\x82\xdf,\x83\x81,\xd2",  // 129: め,メ,ﾒ
    "\x82\xe0,\x83\x82,\xd3",  // 130: も,モ,ﾓ
    "\x82\xe2,\x83\x84,\xd4,\x82\xe1,\x83\x83,\xac",  // 131: や,ヤ,ﾔ,ゃ,ャ,ｬ
    "\x82\xe4,\x83\x86,\xd5,\x82\xe3,\x83\x85,\xad",  // 132: ゆ,ユ,ﾕ,ゅ,ュ,ｭ
    "\x82\xe6,\x83\x88,\xd6,\x82\xe5,\x83\x87,\xae",  // 133: よ,ヨ,ﾖ,ょ,ョ,ｮ
    "\x82\xe7,\x83\x89,\xd7",  // 134: ら,ラ,ﾗ
    "\x82\xe8,\x83\x8a,\xd8",  // 135: り,リ,ﾘ
    "\x82\xe9,\x83\x8b,\xd9",  // 136: る,ル,ﾙ
    "\x82\xea,\x83\x8c,\xda",  // 137: れ,レ,ﾚ
    "\x82\xeb,\x83\x8d,\xdb",  // 138: ろ,ロ,ﾛ
    "\x82\xed,\x83\x8f,\xdc,\x82\xa4\x82\x9f,\x83" "E\x83@,\xb3\xa7",  // 139: わ,ワ,ﾜ,うぁ,ウァ,ｳｧ
    "\x83\x90,\x82\xee,\x82\xa4\x82\xa1,\x83" "E\x83" "B,\xb3\xa8",  // 140: ヰ,ゐ,うぃ,ウィ,ｳｨ
    "\x83\x91,\x82\xef,\x82\xa4\x82\xa5,\x83" "E\x83" "F,\xb3\xaa",  // 141: ヱ,ゑ,うぇ,ウェ,ｳｪ
    "\x82\xf0,\x83\x92,\xa6,\x82\xa4\x82\xa7,\x83" "E\x83H,\xb3\xab",  // 142: を,ヲ,ｦ,うぉ,ウォ,ｳｫ
    "\xde,\x81J",  // 143: ﾞ,゛
    "\xdf,\x81K",  // 144: ﾟ,゜
};

}  // namespace

DictionaryGroup splitCommaText(std::string_view text) {
  DictionaryGroup items;
  std::size_t p = 0;
  skipBlanks(text, p);
  while (p < text.size()) {
    if (text[p] == '"') {
      items.push_back(readQuotedItem(text, p));
    } else {
      std::size_t start = p;
      while (p < text.size() && text[p] != ',' && !isBlank(static_cast<unsigned char>(text[p])))
        ++p;
      items.emplace_back(text.substr(start, p - start));
    }
    skipBlanks(text, p);
    if (p < text.size() && text[p] == ',') {
      if (p + 1 == text.size()) items.emplace_back();
      ++p;
      skipBlanks(text, p);
    }
  }
  return items;
}

const Dictionary& FuzzyCharDict() {
  static const Dictionary dictionary = [] {
    Dictionary d;
    for (const char* group : kFuzzyGroups) d.push_back(splitCommaText(group));
    return d;
  }();
  return dictionary;
}

}  // namespace namitra::regex
