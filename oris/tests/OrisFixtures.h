#pragma once

#include <string>

// ORIS answers written by hand for the tests, one per method, with what each must turn into.
namespace orisfixtures {

inline std::string Doc(const std::string& method, const std::string& data) {
    return "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n<ORIS>\n<Method>" + method +
           "</Method>\n<Format>xml</Format>\n<Status>OK</Status>\n"
           "<ExportCreated>2026-06-01 09:59:58</ExportCreated>\n" +
           data + "\n</ORIS>\n";
}

inline const std::string kClubList = Doc("getCSOSClubList", R"(<Data>
 <Club id="Club_1"><ID>1</ID><Abbr>ZDR</Abbr><Name>Klub orientačního běhu Žďár</Name><Region>JM</Region></Club>
 <Club id="Club_2"><ID>2</ID><Abbr>BOR</Abbr><Name>OK Bor; Praha</Name><Region>P</Region></Club>
</Data>)");
inline const std::string kClubListOut = "1;Klub orientačního běhu Žďár;ZDR;JM;\r\n"
                                        "2;OK Bor  Praha;BOR;P;\r\n";

inline std::string ClubDoc(const std::string& id, const std::string& abbr, bool withEmail) {
    return Doc("getClub", "<Data>\n<ID>" + id + "</ID><Abbr>" + abbr + "</Abbr><Name>Oddíl " +
                              abbr + "</Name><Number>" + id +
                              "00</Number><CSOSMember>1</CSOSMember><Country>CZE</Country>"
                              "<OfficialName>Spolek " +
                              abbr +
                              "</OfficialName><OfficialStreet>Lesní 5</OfficialStreet>"
                              "<OfficialZIP>591 01</OfficialZIP><OfficialCity>Žďár</OfficialCity>"
                              "<BankAccount>123/0100</BankAccount><WWW>www.example.cz</WWW>" +
                              (withEmail ? "<Email>info@example.cz</Email>" : "") +
                              "<Phone>+420 111</Phone><ContactFirstName>Jana</ContactFirstName>"
                              "<ContactLastName>Nová</ContactLastName>"
                              "<Region><Code>JM</Code><Name>Jihomoravská</Name></Region>\n</Data>");
}
inline std::string ClubLine(const std::string& id, const std::string& abbr, bool withEmail) {
    return id + ";" + abbr + ";Oddíl " + abbr + ";" + id + "00;1;CZE;Spolek " + abbr +
           ";Lesní 5;591 01;Žďár;123/0100;www.example.cz;" + (withEmail ? "info@example.cz" : "") +
           ";+420 111;Jana;Nová;JM;\r\n";
}

inline std::string UserEntriesDoc(const std::string& user) {
    return Doc("getUserEventEntries", "<Data>\n<Entry id=\"Entry_" + user + "1\"><ID>" + user +
                                          "1</ID><ClassID>11</ClassID><ClassDesc>H21</ClassDesc>"
                                          "<RegNo>ZDR8001</RegNo><Name>Svoboda Petr</Name>"
                                          "<RentSI>0</RentSI><SI>123456</SI><Licence>A</Licence>"
                                          "<RequestedStart></RequestedStart><UserID>" +
                                          user +
                                          "</UserID><ClubID>1</ClubID>"
                                          "<Note>pozdě; prosím</Note><Fee>200</Fee>"
                                          "<EntryStop>1</EntryStop>"
                                          "<CreatedDateTime>2026-05-01 12:00:00</CreatedDateTime>"
                                          "</Entry>\n</Data>");
}
inline std::string UserEntriesLine(const std::string& user) {
    return user + "1;11;H21;ZDR8001;Svoboda Petr;0;123456;A;;" + user +
           ";1;pozdě prosím;200;1;2026-05-01 12:00:00;\r\n";
}

inline const std::string kEventResults = Doc("getEventResults", R"(<Data>
<Result id="Result_1"><ID>1</ID><ClassID>11</ClassID><ClassDesc>H21</ClassDesc><Place>1.</Place><RegNo>ZDR8001</RegNo><Name>Svoboda Petr</Name><Time>45:12</Time><Loss></Loss></Result>
<Result id="Result_2"><ID>2</ID><ClassID>11</ClassID><ClassDesc>H21</ClassDesc><Place></Place><RegNo>BOR7002</RegNo><Name>Dvořák
Jan</Name><Time>DISK</Time><Loss></Loss></Result>
</Data>)");
inline const std::string kEventResultsOut = "1;11;H21;1.;ZDR8001;Svoboda Petr;45:12;;\r\n"
                                            "2;11;H21;;BOR7002;Dvořák Jan;DISK;;\r\n";

inline const std::string kEventList = Doc("getEventList", R"(<Data>
<Event id="Event_7001"><ID>7001</ID><Name>Žďárský sprint</Name><Date>2026-06-20</Date>
 <Org1><ID>1</ID><Abbr>ZDR</Abbr><Name>KOB Žďár</Name></Org1><Org2><ID></ID></Org2>
 <Discipline><ID>2</ID><ShortName>S</ShortName><NameCZ>Sprint</NameCZ></Discipline>
 <EntryDate1>2026-06-10 23:59:59</EntryDate1><EntryDate2>2026-06-15 23:59:59</EntryDate2><EntryDate3></EntryDate3>
 <Place>Žďár nad Sázavou</Place></Event>
</Data>)");
inline const std::string kEventListOut =
    "7001;Žďárský sprint;2026-06-20;1;ZDR;KOB Žďár;S;2026-06-10 23:59:59;2026-06-15 23:59:59;;"
    "Žďár nad Sázavou;\r\n";

inline const std::string kRegistration = Doc("getRegistration", R"(<Data>
<Person id="Person_1"><RegNo>ZDR8001</RegNo><UserID>501</UserID><Lic>A</Lic><FirstName>Petr</FirstName><LastName>Svoboda</LastName><SI>123456</SI><Paid>1</Paid><ClubID>1</ClubID><Gender>H</Gender><Born>1980</Born><Fee>400</Fee></Person>
<Person id="Person_2"><RegNo>ZDR8552</RegNo><UserID>502</UserID><Lic>C</Lic><FirstName>Eliška</FirstName><LastName>Řeháková</LastName><SI></SI><Paid>0</Paid><ClubID>1</ClubID><Gender>D</Gender><Born>1985</Born><Fee>400</Fee></Person>
</Data>)");
inline const std::string kRegistrationOut = "ZDR8001;501;A;Petr;Svoboda;123456;1;1;H;1980;400;\r\n"
                                            "ZDR8552;502;C;Eliška;Řeháková;;0;1;D;1985;400;\r\n";

inline const std::string kServiceEntries = Doc("getEventServiceEntries", R"(<Data>
<ServiceEntry id="ServiceEntry_1"><ID>1</ID><RegNo>ZDR8001</RegNo><Quantity>2</Quantity><TotalFee>300</TotalFee><CreatedDateTime>2026-05-02 08:00:00</CreatedDateTime>
 <Service><ID>9</ID><NameCZ>Ubytování v tělocvičně</NameCZ><UnitPrice>150</UnitPrice></Service><CreatedByUserID>501</CreatedByUserID></ServiceEntry>
</Data>)");
inline const std::string kServiceEntriesOut =
    "1;ZDR8001;2;300;2026-05-02 08:00:00;9;Ubytování v tělocvičně;150;501;\r\n";

inline const std::string kBalance = Doc("getEventBalance", R"(<Data>
<Clubs>
 <Club id="Club_1"><ClubID>1</ClubID><ClubAbbr>ZDR</ClubAbbr><FeeEntry>1200</FeeEntry><FeeSI>40</FeeSI><FeeService>300</FeeService><FeeTotal>1540</FeeTotal><Paid>1000</Paid><ToBePaid>540</ToBePaid></Club>
 <Club id="Club_2"><ClubID>2</ClubID><ClubAbbr>BOR</ClubAbbr><FeeEntry>200</FeeEntry><FeeSI>0</FeeSI><FeeService>0</FeeService><FeeTotal>200</FeeTotal><Paid>200</Paid><ToBePaid>0</ToBePaid></Club>
</Clubs>
</Data>)");
inline const std::string kBalanceOut = "1;ZDR;1200;40;300;1540;1000;540;\r\n"
                                       "2;BOR;200;0;0;200;200;0;\r\n";

// The getEvent answer, read by getEvent and getEvent_KATEG alike. No SW and no
// CourseSetter_2/3; fees of every kind in the classes.
inline const std::string kEvent = Doc("getEvent", R"(<Data>
<ID>7001</ID><Name>Žďárský sprint</Name><Date>2026-06-20</Date><Place>Žďár nad Sázavou</Place><Map>Zámek</Map>
<Org1><ID>1</ID><Abbr>ZDR</Abbr><Name>KOB Žďár</Name></Org1>
<Level><ID>4</ID><ShortName>OŽ</ShortName></Level>
<EntryDate1>2026-06-10 23:59:59</EntryDate1><EntryDate2>2026-06-15 23:59:59</EntryDate2><EntryDate3/>
<EntryKoef2>50</EntryKoef2><EntryKoef3>12.5</EntryKoef3><EntryRentSIFee>40</EntryRentSIFee>
<EntryBankAccount>123/0100</EntryBankAccount><RankingDecisionDate></RankingDecisionDate>
<StartTime>10:00</StartTime><EventOfficeCloses>9:30</EventOfficeCloses><Stages>1</Stages>
<Stage1>7001</Stage1>
<Director><FirstName>Jana</FirstName><LastName>Nová</LastName></Director>
<MainReferee><FirstName>Karel</FirstName><LastName>Malý</LastName></MainReferee>
<CourseSetter_1><FirstName>Petr</FirstName><LastName>Svoboda</LastName></CourseSetter_1>
<Classes>
 <Class id="Class_1"><ID>11</ID><Name>H21</Name><Fee>200</Fee><ManualFee>0</ManualFee><NoExtraFee>0</NoExtraFee><Legs>1</Legs></Class>
 <Class id="Class_2"><ID>12</ID><Name>D10N</Name><Fee>45</Fee><ManualFee>0</ManualFee><NoExtraFee>0</NoExtraFee><Legs>1</Legs></Class>
 <Class id="Class_3"><ID>13</ID><Name>HDR</Name><Fee>200</Fee><ManualFee>0</ManualFee><NoExtraFee>1</NoExtraFee><Legs></Legs></Class>
 <Class id="Class_4"><ID>14</ID><Name>H35</Name><Fee>200</Fee><ManualFee>1</ManualFee><ManualFeeEntryDate2></ManualFeeEntryDate2><ManualFeeEntryDate3>350</ManualFeeEntryDate3><NoExtraFee>0</NoExtraFee><Legs>3</Legs></Class>
 <Class id="Class_5"><ID>15</ID><Name>P</Name><Fee>150.50</Fee><ManualFee>0</ManualFee><NoExtraFee>0</NoExtraFee><Legs> 2</Legs></Class>
</Classes>
</Data>)");
inline const std::string kEventOut = "ID=7001\r\n"
                                     "Name=Žďárský sprint\r\n"
                                     "Date=2026-06-20\r\n"
                                     "Place=Žďár nad Sázavou\r\n"
                                     "Map=Zámek\r\n"
                                     "Org1=ZDR\r\n"
                                     "Level=OŽ\r\n"
                                     "EntryDate1=2026-06-10 23:59:59\r\n"
                                     "EntryDate2=2026-06-15 23:59:59\r\n"
                                     "EntryDate3=\r\n"
                                     "EntryKoef2=50\r\n"
                                     "EntryKoef3=12.5\r\n"
                                     "EntryRentSIFee=40\r\n"
                                     "EntryBankAccount=123/0100\r\n"
                                     "RankingDecisionDate=\r\n"
                                     "StartTime=10:00\r\n"
                                     "EventOfficeCloses=9:30\r\n"
                                     "Stages=1\r\n"
                                     "Stage1=7001\r\n"
                                     "Stage2=\r\n"
                                     "Stage3=\r\n"
                                     "Stage4=\r\n"
                                     "Stage5=\r\n"
                                     "Stage6=\r\n"
                                     "Stage7=\r\n"
                                     "Stage8=\r\n"
                                     "Director=Jana Nová\r\n"
                                     "MainReferee=Karel Malý\r\n"
                                     "SW= \r\n"
                                     "CourseSetter_1=Petr Svoboda\r\n"
                                     "CourseSetter_2= \r\n"
                                     "CourseSetter_3= \r\n";
// 200 at +50 % and +12.5 %: 300 and 225; 45 gives 67.5 -> 68 and 50.625 -> 51; a manual fee
// with no second-deadline fee gives 0; a fee with a decimal point counts as 0.
inline const std::string kEventClassesOut = "11;H21;200;300;225;1;\r\n"
                                            "12;D10N;45;68;51;1;\r\n"
                                            "13;HDR;200;200;200;0;\r\n"
                                            "14;H35;200;0;350;3;\r\n"
                                            "15;P;0;0;0;2;\r\n";

inline const std::string kEventEntries = Doc("getEventEntries", R"(<Data>
<Entry id="Entry_1"><ID>1</ID><ClassID>11</ClassID><ClassDesc>H21</ClassDesc><RegNo>ZDR8001</RegNo><Name>Svoboda Petr</Name><RentSI>0</RentSI><SI>123456</SI><Licence>A</Licence><RequestedStart>early</RequestedStart><UserID>501</UserID><ClubID>1</ClubID><Note>a;b</Note><Fee>200</Fee><EntryStop>0</EntryStop><CreatedDateTime>2026-05-01 12:00:00</CreatedDateTime>
 <Stages><Stage1>1</Stage1><Stage2></Stage2><Stage3>1</Stage3></Stages></Entry>
<Entry id="Entry_2"><ID>2</ID><ClassID>12</ClassID><ClassDesc>D10N</ClassDesc><RegNo>ZDR1650</RegNo><Name>Řeháková Eliška</Name><RentSI>1</RentSI><SI></SI><Licence>C</Licence><RequestedStart></RequestedStart><UserID>503</UserID><ClubID>1</ClubID><Note/><Fee>45</Fee><EntryStop>0</EntryStop><CreatedDateTime>2026-05-03 07:00:00</CreatedDateTime></Entry>
</Data>)");
inline const std::string kEventEntriesOut =
    "1;11;H21;ZDR8001;Svoboda Petr;0;123456;A;early;501;1;a b;200;0;2026-05-01 12:00:00;"
    "E1=1;E3=1;\r\n"
    "2;12;D10N;ZDR1650;Řeháková Eliška;1;;C;;503;1;;45;0;2026-05-03 07:00:00;\r\n";

} // namespace orisfixtures
