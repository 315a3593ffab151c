#!/usr/bin/env bash
# Builds a large home for the desk's speed figures: 10,000 employees in 20 departments and
# 1,000,000 swipes over 50 days, the last 20,000 of them today (two per employee).
# usage: make-home.sh ORAVIK_EXE HOME_DIR [EMPLOYEES] [SWIPES] [TODAY_SWIPES]
set -euo pipefail
oravik=${1:?usage: make-home.sh ORAVIK_EXE HOME_DIR [EMPLOYEES] [SWIPES] [TODAY_SWIPES]}
home=${2:?home dir}
employees=${3:-10000}
swipes=${4:-1000000}
today=${5:-20000}
rm -rf "$home"
"$oravik" --init-home "$home" >/dev/null
db=$home/mdb/Oravik.mdb
day=$(date +%F)
sqlite3 "$db" <<SQL
pragma synchronous=off;
begin;
with recursive d(x) as (select 1 union all select x+1 from d where x<20)
insert into MH_AttendDept (Dept_Code,Dept_Name,Fact_Number)
  select '10'||printf('%02d',x), '部门'||printf('%02d',x), 0 from d;
with recursive e(x) as (select 1 union all select x+1 from e where x<$employees)
insert into MH_CardReg (Empl_Code,Empl_Name,Card_Code,Dept_Code,Dept_Name,Stop_Flag)
  select printf('%06d',x), '员工'||printf('%04d',x % 10000), printf('%010d',100000+x),
         '10'||printf('%02d',1 + x % 20), '部门'||printf('%02d',1 + x % 20), 'N' from e;
-- Older days first, then today's swipes: on duty in the morning, off duty in the evening.
with recursive s(x) as (select 0 union all select x+1 from s where x<$swipes-$today-1)
insert into MH_AttendResourceRecord (Empl_Name,Dept_Name,RE_Flag,RE_Content,ADFlag,Brush_Date,
    Brush_Hour,Brush_Minute,Brush_Second,Card_Cord,Clock_Address)
  select '员工'||printf('%04d',(x/2) % $employees % 10000), '部门'||printf('%02d',1 + (x/2) % 20), '', '',
         case x%2 when 0 then '上' else '下' end,
         date('$day', '-'||(1 + x*49/($swipes-$today))||' days')||case x%2 when 0 then ' 08:20:00' else ' 17:30:00' end,
         case x%2 when 0 then 8 else 17 end, case x%2 when 0 then 20 else 30 end, 0,
         printf('%010d',100000 + 1 + (x/2) % $employees), '90' from s;
with recursive t(x) as (select 0 union all select x+1 from t where x<$today-1)
insert into MH_AttendResourceRecord (Empl_Name,Dept_Name,RE_Flag,RE_Content,ADFlag,Brush_Date,
    Brush_Hour,Brush_Minute,Brush_Second,Card_Cord,Clock_Address)
  select '员工'||printf('%04d',(1 + x % $employees) % 10000), '部门'||printf('%02d',1 + (1 + x % $employees) % 20),
         case when x % 17 = 0 then 'Y' else '' end,
         case when x % 17 = 0 then (case when x < $employees then '迟到'||(1 + x % 50)||'分钟' else '早退'||(1 + x % 40)||'分钟' end) else '' end,
         case when x < $employees then '上' else '下' end,
         '$day '||case when x < $employees then printf('08:%02d:%02d', x % 60, x % 59) else printf('17:%02d:%02d', x % 60, x % 59) end,
         case when x < $employees then 8 else 17 end, x % 60, x % 59,
         printf('%010d',100000 + 1 + x % $employees), '90' from t;
commit;
SQL
echo "$home: $(sqlite3 "$db" 'select count(*) from MH_CardReg') employees, $(sqlite3 "$db" 'select count(*) from MH_AttendResourceRecord') swipes, $(sqlite3 "$db" "select count(*) from MH_AttendResourceRecord where Brush_Date>='$day'") today"
