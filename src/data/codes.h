#pragma once
// The code tables: every lookup takes the code exactly as cut from a line
// (ASCII, not trimmed, not converted to a number, so " 1" is not "01") and
// returns the UTF-8 text of its row exactly as listed, padding included; an
// unknown code yields the table's default.

#include <string>
#include <string_view>

namespace velmar::data {

// VenueCode (2): "00" 京都 ... default "----". "48"/"49" are four blanks.
std::string venueName(std::string_view code);
// Venue text of a central venue ("京都" .. "函館") -> "00" .. "09"; else empty.
std::string jraVenueCode(std::string_view venueText);
// WeekdayCode (2): "01" "(土)" .. "07" "(金)"; default "(祝)".
std::string weekdayText(std::string_view code);
// BreedAgeCode (1): "0" サラ障害 .. "C" アラブ4歳.
std::string breedAgeText(std::string_view code);
// TurnCode (1): 右 左 直.
std::string turnText(std::string_view code);
// CourseLayoutCode (1): 内 外 外内 ﾀｽ 大障 内2 内外.
std::string courseLayoutText(std::string_view code);
// RailCode (1): A B C D A1 A2 E.
std::string railText(std::string_view code);
// PaceCode (1): H M S.
std::string paceText(std::string_view code);
// TrainerCentreCode (2): " (栗)" " (南)" " (北)".
std::string centreText(std::string_view code);
// WeightRuleCode of a past race (2): "02" -> "H".
std::string handicapMark(std::string_view code);
// "障" when the jump flag is "1"; else "芝" for surface "1", "ダ" for "0".
std::string raceKindText(std::string_view jumpFlag, std::string_view surfaceCode);
// "芝" 1, "ダ" 2, "障" 3, else 0; trackKindText is the inverse (else empty).
int trackKindNumber(std::string_view raceKindText);
std::string trackKindText(int number);
// GradeCode (1): "G1 " "G2 " "G3 " "JG1 " "JG2 " "JG3 " (trailing blank kept).
std::string gradeText(std::string_view code);
// WeightRuleCode (2): ハンデ 別定 馬齢 定量 規定.
std::string weightRuleText(std::string_view code);
// SexCode (1): 牡 牝 セン.
std::string sexText(std::string_view code);
// CoatCode (2); default "鹿毛".
std::string coatText(std::string_view code);
// HorseMarkCode (2): "(抽)" ...; "00" and unknown codes empty.
std::string horseMarkText(std::string_view code);
// GoingCode (1): 良 稍 重 不.
std::string goingText(std::string_view code);
// ClassCode (5): 新馬 未出走 未勝利 オープン, else intOf(first four) + "万".
std::string classText(std::string_view classCode);
// Detail-window class with the grade folded in (オープン + grade -> G1 .. J.G3).
std::string classGradeText(std::string_view classCode, std::string_view gradeCode);
// Corner position (2): 落 失 止 消 除, circled numbers, grey circled numbers
// (<FONT COLOR="#999999">①</FONT>) from 41, one full-width blank for "40",
// otherwise two blanks.
std::string cornerMark(std::string_view code);
// StraightPos (1); default two full-width blanks.
std::string straightPosText(std::string_view code);
// ProducerAreaCode (3): padded on the right with blanks to six CP932 columns;
// unknown codes empty; "228" is six blanks.
std::string producerAreaText(std::string_view code);
// ConditionCode (2): " " + text of the row; unknown codes empty.
std::string conditionText(std::string_view code);
// DesignationCode (2): " (指定)" " (特指) " " [指定]" " (指)".
std::string designationText(std::string_view code);

} // namespace velmar::data
