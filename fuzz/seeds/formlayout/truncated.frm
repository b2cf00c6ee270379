VERSION 5.00
Begin VB.Form frmCut
   Begin VB.PictureBox picA
      Left = -99999999999
      Begin VB.Label lbl
         Left = 1D3
