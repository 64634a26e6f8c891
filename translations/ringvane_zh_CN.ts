<?xml version="1.0" encoding="utf-8"?>
<!DOCTYPE TS>
<TS version="2.1" language="zh_CN">
<context>
    <name>ringvane-calls</name>
    <message>
        <source>%1 is not a day: give it as 2026-12-09 or as the day entry shows it, for example %2.</source>
        <translation>%1 不是日期：请写成 2026-12-09，或按日期输入框显示的格式，例如 %2。</translation>
    </message>
    <message>
        <source>Unexpected argument %1.</source>
        <translation>多余的参数 %1。</translation>
    </message>
    <message>
        <source>--%1 is given more than once.</source>
        <translation>--%1 给出了不止一次。</translation>
    </message>
    <message>
        <source>--day goes alone, without --from and --to.</source>
        <translation>--day 须单独使用，不能与 --from 和 --to 同用。</translation>
    </message>
    <message>
        <source>--from and --to go together.</source>
        <translation>--from 和 --to 必须同时使用。</translation>
    </message>
    <message>
        <source>--from %1 is after --to %2.</source>
        <translation>--from %1 晚于 --to %2。</translation>
    </message>
    <message numerus="yes">
        <source>--number is longer than %n characters.</source>
        <translation>
            <numerusform>--number 超过 %n 个字符。</numerusform>
        </translation>
    </message>
    <message>
        <source>Unknown format %1: give text, csv or json.</source>
        <translation>未知格式 %1：请用 text、csv 或 json。</translation>
    </message>
    <message>
        <source>%1 is not a data source name.</source>
        <translation>%1 不是数据源名称。</translation>
    </message>
    <message>
        <source>The ODBC support is not installed (package unixodbc).</source>
        <translation>未安装 ODBC 支持（软件包 unixodbc）。</translation>
    </message>
    <message>
        <source>There is no ODBC data source %1. ringvane-setup-calllog creates it.</source>
        <translation>没有 ODBC 数据源 %1。ringvane-setup-calllog 可以创建它。</translation>
    </message>
    <message>
        <source>There is no ODBC data source %1.</source>
        <translation>没有 ODBC 数据源 %1。</translation>
    </message>
    <message>
        <source>The data source %1 holds no call log (its file is not a database):
%2</source>
        <translation>数据源 %1 中没有通话记录（其文件不是数据库）：
%2</translation>
    </message>
    <message numerus="yes">
        <source>The data source %1 did not answer within %n seconds:
%2</source>
        <translation>
            <numerusform>数据源 %1 在 %n 秒内没有响应：
%2</numerusform>
        </translation>
    </message>
    <message>
        <source>The data source %1 cannot be reached:
%2</source>
        <translation>无法连接数据源 %1：
%2</translation>
    </message>
    <message>
        <source>The data source %1 holds no call log (table IDList):
%2</source>
        <translation>数据源 %1 中没有通话记录（表 IDList）：
%2</translation>
    </message>
    <message>
        <source>The data source %1 could not give the call log:
%2</source>
        <translation>数据源 %1 无法提供通话记录：
%2</translation>
    </message>
    <message>
        <source>[hung up]</source>
        <translation>[已挂断]</translation>
    </message>
    <message>
        <source>Usage: ringvane-calls [--day DATE | --from DATE --to DATE] [--number TEXT]
                      [--format text|csv|json] [--dsn NAME]

Lists the calls in Ringvane&apos;s call log, oldest first.

  --day DATE           the calls of one day (without a range: today)
  --from DATE --to DATE
                       the calls of these days and every day between them
  --number TEXT        only calls from this number, exactly as stored (upper and
                       lower case differ); a * stands for any text, as in 555*
  --format FORMAT      text (lines like the call list, the default), csv or json
                       (one object a line)
  --dsn NAME           the ODBC data source of the call log (default CallerID)
  -h, --help           this text

A DATE is written as 2026-12-09, or as Ringvane&apos;s day entry shows it.

In csv, a number or name that a spreadsheet would run as a formula (one that
starts with = + - @ or a tab) gets a leading apostrophe, unless it is only a phone
number such as +1 555 0123.

Exit status: 0 done, 1 wrong arguments, 2 no such data source, 3 the data source
cannot be reached, 4 no call log table in it, 5 another failure of the data
source, 6 the ODBC support is not installed, 7 the output could not be written.
</source>
        <translation>用法：ringvane-calls [--day 日期 | --from 日期 --to 日期] [--number 文本]
                      [--format text|csv|json] [--dsn 名称]

列出 Ringvane 通话记录中的来电，最早的在前。

  --day 日期           某一天的来电（不给范围时为今天）
  --from 日期 --to 日期
                       这几天及其间每一天的来电
  --number 文本        只列出该号码的来电，须与存储的完全一致（区分大小写）；
                       * 代表任意文本，如 555*
  --format 格式        text（与来电列表相同的行，默认）、csv 或 json（每行一个对象）
  --dsn 名称           通话记录的 ODBC 数据源（默认 CallerID）
  -h, --help           显示本说明

日期写作 2026-12-09，或按 Ringvane 日期输入框显示的格式。

在 csv 中，电子表格会当作公式执行的号码或名称（以 = + - @ 或制表符开头）
前面会加一个撇号，纯电话号码（如 +1 555 0123）除外。

退出状态：0 完成，1 参数错误，2 没有该数据源，3 无法连接数据源，4 其中没有通话记录表，
5 数据源的其他故障，6 未安装 ODBC 支持，7 无法写入输出。
</translation>
    </message>
    <message>
        <source>The phonebook cannot be read, calls are listed without contacts: %1</source>
        <translation>无法读取电话簿，列出的来电不带联系人：%1</translation>
    </message>
    <message>
        <source>More calls than the list can number; give a shorter range.</source>
        <translation>来电数量超出列表可编号的范围；请缩短日期范围。</translation>
    </message>
    <message>
        <source>Could not write the output: %1.</source>
        <translation>无法写入输出：%1。</translation>
    </message>
    <message>
        <source>Could not write the output: standard output is closed.</source>
        <translation>无法写入输出：标准输出已关闭。</translation>
    </message>
    <message>
        <source>Try &apos;ringvane-calls --help&apos;.</source>
        <translation>请参阅 &apos;ringvane-calls --help&apos;。</translation>
    </message>
</context>
<context>
    <name>ringvane-contacts</name>
    <message>
        <source>Removed %1 from the block list.</source>
        <translation>已将 %1 从黑名单中移除。</translation>
    </message>
    <message>
        <source>Removed %1 from the allow list.</source>
        <translation>已将 %1 从白名单中移除。</translation>
    </message>
    <message>
        <source>Removed %1 from the %2 list.</source>
        <translation>已将 %1 从 %2 名单中移除。</translation>
    </message>
    <message>
        <source>%1 is already on the block list.</source>
        <translation>%1 已在黑名单中。</translation>
    </message>
    <message>
        <source>%1 is already on the allow list.</source>
        <translation>%1 已在白名单中。</translation>
    </message>
    <message>
        <source>%1 is already on the %2 list.</source>
        <translation>%1 已在 %2 名单中。</translation>
    </message>
    <message>
        <source>Added %1 to the block list.</source>
        <translation>已将 %1 加入黑名单。</translation>
    </message>
    <message>
        <source>Added %1 to the allow list.</source>
        <translation>已将 %1 加入白名单。</translation>
    </message>
    <message>
        <source>Added %1 to the %2 list.</source>
        <translation>已将 %1 加入 %2 名单。</translation>
    </message>
    <message>
        <source>Moved %1 from the block list to the allow list.</source>
        <translation>已将 %1 从黑名单移至白名单。</translation>
    </message>
    <message>
        <source>Moved %1 from the allow list to the block list.</source>
        <translation>已将 %1 从白名单移至黑名单。</translation>
    </message>
    <message>
        <source>Moved %1 from the %2 list to the %3 list.</source>
        <translation>已将 %1 从 %2 名单移至 %3 名单。</translation>
    </message>
    <message>
        <source>--%1 is given more than once.</source>
        <translation>--%1 给出了不止一次。</translation>
    </message>
    <message>
        <source>Give a command: %1.</source>
        <translation>请给出一个命令：%1。</translation>
    </message>
    <message>
        <source>Unknown command %1: give %2.</source>
        <translation>未知命令 %1：请用 %2。</translation>
    </message>
    <message>
        <source>%1 takes no arguments.</source>
        <translation>%1 不带参数。</translation>
    </message>
    <message>
        <source>%1 takes %2 (in quotes where it has blanks).</source>
        <translation>%1 需要 %2（含空格时请加引号）。</translation>
    </message>
    <message>
        <source>--format goes with list and export.</source>
        <translation>--format 只用于 list 和 export。</translation>
    </message>
    <message>
        <source>Unknown format %1: give text, csv or json.</source>
        <translation>未知格式 %1：请用 text、csv 或 json。</translation>
    </message>
    <message>
        <source>Unknown format %1: give vcard or csv.</source>
        <translation>未知格式 %1：请用 vcard 或 csv。</translation>
    </message>
    <message>
        <source>%1 is not a data source name.</source>
        <translation>%1 不是数据源名称。</translation>
    </message>
    <message>
        <source>%1 (%2): given twice</source>
        <translation>%1（%2）：重复给出</translation>
    </message>
    <message>
        <source>%1 (%2): the same number as for %3 before it</source>
        <translation>%1（%2）：与前面的 %3 号码相同</translation>
    </message>
    <message>
        <source>Added %1 (%2).</source>
        <translation>已添加 %1（%2）。</translation>
    </message>
    <message>
        <source>Gave %1 the name %2.</source>
        <translation>已为 %1 设置名称 %2。</translation>
    </message>
    <message>
        <source>Changed the name of %1 from %2 to %3.</source>
        <translation>已将 %1 的名称从 %2 改为 %3。</translation>
    </message>
    <message>
        <source>%1 (%2) is already in the phonebook.</source>
        <translation>%1（%2）已在电话簿中。</translation>
    </message>
    <message>
        <source>The ODBC support is not installed (package unixodbc).</source>
        <translation>未安装 ODBC 支持（软件包 unixodbc）。</translation>
    </message>
    <message>
        <source>There is no ODBC data source %1. ringvane-setup-calllog creates it.</source>
        <translation>没有 ODBC 数据源 %1。ringvane-setup-calllog 可以创建它。</translation>
    </message>
    <message>
        <source>There is no ODBC data source %1.</source>
        <translation>没有 ODBC 数据源 %1。</translation>
    </message>
    <message numerus="yes">
        <source>The data source %1 did not answer within %n seconds:
%2</source>
        <translation>
            <numerusform>数据源 %1 在 %n 秒内没有响应：
%2</numerusform>
        </translation>
    </message>
    <message>
        <source>The data source %1 cannot be reached:
%2</source>
        <translation>无法连接数据源 %1：
%2</translation>
    </message>
    <message>
        <source>The data source %1 could not give or take the phonebook:
%2</source>
        <translation>数据源 %1 无法读取或保存电话簿：
%2</translation>
    </message>
    <message>
        <source>Usage: ringvane-contacts list [--format text|csv|json]
       ringvane-contacts add NUMBER NAME
       ringvane-contacts remove NUMBER
       ringvane-contacts block|allow|unmark NUMBER
       ringvane-contacts block-name|remove-name RULE
       ringvane-contacts import FILE
       ringvane-contacts export [--format vcard|csv]
       (each with [--dsn NAME])

Keeps Ringvane&apos;s phonebook, the names it shows for callers&apos; numbers, in the table
Phonebook beside the call log.

  list                 the entries, by name (text, csv or json lines)
  add NUMBER NAME      adds an entry, or gives a number already there the new name
  remove NUMBER        removes the entries with this number, their marks with them
  block NUMBER         puts the number on the block list (a new number becomes an
                       entry without a name)
  allow NUMBER         puts the number on the allow list
  unmark NUMBER        takes the number off either list (keeps its name)
  block-name RULE      puts the calls whose name from the line is RULE on the block
                       list (* for any text, capitals or not: &apos;SPAM*&apos;, TELEMARKETER)
  remove-name RULE     removes that name rule
  import FILE          brings in the numbers of a vCard file (2.1, 3.0, 4.0) or of
                       Google Contacts&apos; CSV export, each under its card&apos;s name;
                       says what it added, changed and skipped
  export               writes the named entries as vCard 4.0 (the default) or as CSV
                       in Google Contacts&apos; columns; marks and rules stay out (list
                       --format csv has them)
  --dsn NAME           the ODBC data source of the call log (default CallerID)
  -h, --help           this text

A number ending in * covers every number that starts so (0800*). Numbers are the
same when they are the same telephone number in your country (from your locale):
+44 20 7946 0958 and 020 7946 0958 are one entry in the United Kingdom.

list shows each entry&apos;s mark ([block], [allow]) and the name rules last
([block-name]). Whether Ringvane hangs up on a listed call is set in the group
[blocking] of ~/.config/ringvane/ringvane.conf.

Exit status: 0 done, 1 wrong arguments, 2 no such data source, 3 the data source
cannot be reached, 4 nothing to remove (remove, unmark, remove-name) or the file
cannot be read (import), 5 another failure of the data source, 6 the ODBC support
is not installed, 7 the output could not be written.
</source>
        <translation>用法：ringvane-contacts list [--format text|csv|json]
      ringvane-contacts add 号码 名称
      ringvane-contacts remove 号码
      ringvane-contacts block|allow|unmark 号码
      ringvane-contacts block-name|remove-name 规则
      ringvane-contacts import 文件
      ringvane-contacts export [--format vcard|csv]
      （均可加 [--dsn 名称]）

管理 Ringvane 的电话簿，即它为来电号码显示的名称，保存在通话记录旁的 Phonebook 表中。

  list                 按名称列出条目（text、csv 或 json 行）
  add 号码 名称        添加条目，或为已有号码设置新名称
  remove 号码          删除该号码的条目及其标记
  block 号码           将号码加入黑名单（新号码成为无名称的条目）
  allow 号码           将号码加入白名单
  unmark 号码          将号码从两个名单中移除（保留名称）
  block-name 规则      将线路传来的名称符合该规则的来电加入黑名单
                       （* 代表任意文本，不分大小写：&apos;SPAM*&apos;、TELEMARKETER）
  remove-name 规则     删除该名称规则
  import 文件          导入 vCard 文件（2.1、3.0、4.0）或 Google 通讯录 CSV 导出中的号码，
                       各用其名片的名称；报告添加、修改和跳过的条目
  export               将有名称的条目写成 vCard 4.0（默认）或 Google 通讯录列格式的 CSV；
                       不含标记和规则（list --format csv 包含它们）
  --dsn 名称           通话记录的 ODBC 数据源（默认 CallerID）
  -h, --help           显示本说明

以 * 结尾的号码涵盖所有以此开头的号码（0800*）。在您所在的国家（按您的区域设置）
是同一电话号码的号码视为相同：在中国，+86 10 1234 5678 和 010 1234 5678 是同一条目。

list 显示每个条目的标记（[block]、[allow]），名称规则列在最后（[block-name]）。
Ringvane 是否挂断名单中的来电，在 ~/.config/ringvane/ringvane.conf 的 [blocking] 组中设置。

退出状态：0 完成，1 参数错误，2 没有该数据源，3 无法连接数据源，4 没有可删除的内容
（remove、unmark、remove-name）或无法读取文件（import），5 数据源的其他故障，
6 未安装 ODBC 支持，7 无法写入输出。
</translation>
    </message>
    <message>
        <source>Could not write the output: %1.</source>
        <translation>无法写入输出：%1。</translation>
    </message>
    <message numerus="yes">
        <source>%1 is larger than %n MiB; no address book is.</source>
        <translation>
            <numerusform>%1 大于 %n MiB；通讯录不会这么大。</numerusform>
        </translation>
    </message>
    <message>
        <source>Could not read %1: %2.</source>
        <translation>无法读取 %1：%2。</translation>
    </message>
    <message numerus="yes">
        <source>Added %n, changed %1, already there %2, skipped %3.</source>
        <translation>
            <numerusform>已添加 %n 个，已修改 %1 个，已存在 %2 个，已跳过 %3 个。</numerusform>
        </translation>
    </message>
    <message>
        <source>skipped line %1: %2</source>
        <translation>已跳过，第 %1 行：%2</translation>
    </message>
    <message>
        <source>skipped %1</source>
        <translation>已跳过：%1</translation>
    </message>
    <message>
        <source>Removed %1.</source>
        <translation>已移除 %1。</translation>
    </message>
    <message>
        <source>No entry has the number %1.</source>
        <translation>没有号码为 %1 的条目。</translation>
    </message>
    <message>
        <source>%1 is on neither list.</source>
        <translation>%1 不在任何名单中。</translation>
    </message>
    <message>
        <source>The name rule %1 is already there.</source>
        <translation>名称规则 %1 已存在。</translation>
    </message>
    <message>
        <source>Added the name rule %1.</source>
        <translation>已添加名称规则 %1。</translation>
    </message>
    <message>
        <source>There is no name rule %1.</source>
        <translation>没有名称规则 %1。</translation>
    </message>
    <message>
        <source>Removed the name rule %1.</source>
        <translation>已移除名称规则 %1。</translation>
    </message>
    <message>
        <source>Could not write the output: standard output is closed.</source>
        <translation>无法写入输出：标准输出已关闭。</translation>
    </message>
    <message>
        <source>Try &apos;ringvane-contacts --help&apos;.</source>
        <translation>请参阅 &apos;ringvane-contacts --help&apos;。</translation>
    </message>
    <message numerus="yes">
        <source>Give a %1 of 1 to %n characters.</source>
        <translation>
            <numerusform>请给出 1 到 %n 个字符的 %1。</numerusform>
        </translation>
    </message>
    <message numerus="yes">
        <source>%1: longer than %n characters</source>
        <translation>
            <numerusform>%1：超过 %n 个字符</numerusform>
        </translation>
    </message>
</context>
</TS>
